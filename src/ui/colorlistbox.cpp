#include "ui/colorlistbox.h"

#include <QPainter>
#include <QScrollBar>

namespace sonvara {

int CColorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Lines.size());
}

QVariant CColorListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_Lines.size())) {
        return {};
    }
    const Line& line = m_Lines[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return line.text;
        case kColourRole: return static_cast<unsigned>(line.colour);
        default: return {};
    }
}

int CColorListModel::Append(const QString& text, std::uint32_t colour) {
    const int row = static_cast<int>(m_Lines.size());
    beginInsertRows({}, row, row);
    m_Lines.push_back({text, colour});
    endInsertRows();
    return row;
}

void CColorListModel::Append(std::vector<std::pair<QString, std::uint32_t>>&& lines) {
    if (lines.empty()) {
        return;
    }
    const int first = static_cast<int>(m_Lines.size());
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    m_Lines.reserve(m_Lines.size() + lines.size());
    for (auto& [text, colour] : lines) {
        m_Lines.push_back({std::move(text), colour});
    }
    endInsertRows();
}

void CColorListModel::Clear() {
    if (m_Lines.empty()) {
        return;
    }
    beginResetModel();
    m_Lines.clear();
    m_Lines.shrink_to_fit();
    endResetModel();
}

int CColorLineDelegate::LineHeight(const QFontMetrics& metrics) {
    return metrics.height() + 2;
}

QSize CColorLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.fontMetrics.horizontalAdvance(QLatin1Char('x')) * 40,
            LineHeight(option.fontMetrics)};
}

void CColorLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (!index.isValid() || index.row() < 0) {
        return;
    }
    const std::uint32_t c = index.data(CColorListModel::kColourRole).toUInt();
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    const QPalette& pal = option.palette;
    const QColor own = CColorListBox::ColourOf(c);

    QColor text;
    if (!enabled) {
        text = pal.color(QPalette::Disabled, QPalette::Text);
    } else if (c == 0) {
        text = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    } else {
        text = selected ? QColor(255 - own.red(), 255 - own.green(), 255 - own.blue()) : own;
    }

    painter->save();
    if (selected) {
        painter->fillRect(option.rect, own);  // a selected default line is filled black
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = selected ? own : pal.color(QPalette::Base);
        option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter,
                                              option.widget);
    }
    painter->setPen(text);
    painter->setFont(option.font);
    const QRect r = option.rect.adjusted(2, 0, -2, 0);
    painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

CColorListBox::CColorListBox(QWidget* parent)
    : QListView(parent), m_Model(new CColorListModel(this)) {
    setModel(m_Model);
    setItemDelegate(new CColorLineDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTextElideMode(Qt::ElideNone);
    setLayoutMode(QListView::SinglePass);
}

int CColorListBox::AddString(const QString& text) {
    return AddColoredString(text, 0);
}

int CColorListBox::AddColoredString(const QString& text, std::uint32_t colour) {
    return m_Model->Append(text, colour);
}

void CColorListBox::AddColoredStrings(std::vector<std::pair<QString, std::uint32_t>>&& lines) {
    m_Model->Append(std::move(lines));
}

void CColorListBox::ResetContent() {
    m_Model->Clear();
}

int CColorListBox::GetCount() const {
    return m_Model->rowCount();
}

QString CColorListBox::GetText(int index) const {
    return index >= 0 && index < GetCount() ? m_Model->Text(index) : QString();
}

std::uint32_t CColorListBox::GetItemData(int index) const {
    return index >= 0 && index < GetCount() ? m_Model->Colour(index) : 0;
}

void CColorListBox::SetTopIndex(int index) {
    if (index < 0 || index >= GetCount()) {
        return;
    }
    // Lines added in this event-loop turn are laid out first, so that the scroll range covers
    // them; otherwise the list would stay where it was.
    executeDelayedItemsLayout();
    updateGeometries();
    scrollTo(m_Model->index(index), QAbstractItemView::PositionAtTop);
}

int CColorListBox::GetTopIndex() const {
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : (GetCount() > 0 ? 0 : -1);
}

QColor CColorListBox::ColourOf(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace sonvara
