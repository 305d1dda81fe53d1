#include "ui/multicolumnsortlistview.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "tracks/profilestore.h"
#include "ui/sortabletablemodel.h"
#include "ui/statelog.h"

namespace sonvara {

namespace {
constexpr const char* kWidthSection = "ColumnWidths";
constexpr int kArrowSpace = 14;
}  // namespace

CSortHeader::CSortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setAccessibleName(tr("Column headers"));
}

void CSortHeader::SetArrow(int column, bool ascending) {
    m_Arrows.insert(column, ascending);
    viewport()->update();
}

void CSortHeader::ClearArrows() {
    m_Arrows.clear();
    viewport()->update();
}

QSize CSortHeader::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.rwidth() += kArrowSpace;
    return size;
}

void CSortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const auto it = m_Arrows.constFind(logicalIndex);
    if (it == m_Arrows.constEnd() || rect.width() < kArrowSpace + 4) {
        return;
    }
    // A small filled triangle at the right end: point up for ascending, down for descending.
    const qreal cx = rect.right() - kArrowSpace / 2.0 - 1;
    const qreal cy = rect.center().y() + 0.5;
    const qreal half = 3.5;
    QPainterPath path;
    if (*it) {
        path.moveTo(cx - half, cy + half / 2 + 0.5);
        path.lineTo(cx + half, cy + half / 2 + 0.5);
        path.lineTo(cx, cy - half / 2 - 1);
    } else {
        path.moveTo(cx - half, cy - half / 2 - 0.5);
        path.lineTo(cx + half, cy - half / 2 - 0.5);
        path.lineTo(cx, cy + half / 2 + 1);
    }
    path.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPath(path);
    painter->restore();
}

CMultiColumnSortListView::CMultiColumnSortListView(QWidget* parent) : QTableView(parent) {
    m_SortColumns.fill(-1);
    m_SortHeader = new CSortHeader(this);
    setHorizontalHeader(m_SortHeader);
    m_SortHeader->setSectionsMovable(true);  // header drag and drop
    m_SortHeader->setStretchLastSection(false);
    m_SortHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);  // full-row select
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // Rows of one fixed height: the view never measures rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 18));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(m_SortHeader, &QHeaderView::sectionClicked, this, [this](int column) {
        // Only the left button reaches here; a right click never sorts.
        OnHeaderClicked(column, QGuiApplication::keyboardModifiers() & Qt::ControlModifier);
    });
}

void CMultiColumnSortListView::SetNumericColumn(unsigned column) {
    m_NumericColumns.push_back(column);
}

bool CMultiColumnSortListView::IsNumericColumn(int column) const {
    return column >= 0 && std::find(m_NumericColumns.begin(), m_NumericColumns.end(),
                                    static_cast<unsigned>(column)) != m_NumericColumns.end();
}

int CMultiColumnSortListView::GetColumnCount() const {
    return m_SortHeader->count();
}

bool CMultiColumnSortListView::CheckSortOrder() {
    const std::vector<int> keys = SortKeys();
    auto* table = qobject_cast<CSortableTableModel*>(model());
    if (keys.empty() || table == nullptr) {
        return true;
    }
    // Each key's direction is the one it was last sorted in: the inverse of its bit.
    std::vector<CSortableTableModel::SortKey> sortKeys;
    for (int key : keys) {
        const bool next = (m_AscendingMask & (std::uint64_t{1} << key)) != 0;
        sortKeys.push_back({key, !next, IsNumericColumn(key)});
    }
    if (table->IsOrderedBy(sortKeys)) {
        return true;
    }
    m_SortHeader->ClearArrows();
    m_SortColumns.fill(-1);
    return false;
}

std::vector<int> CMultiColumnSortListView::SortKeys() const {
    std::vector<int> keys;
    for (int k : m_SortColumns) {
        if (k < 0) {
            break;
        }
        keys.push_back(k);
    }
    return keys;
}

void CMultiColumnSortListView::OnHeaderClicked(int column, bool ctrl) {
    SortColumn(column, ctrl);
    emit sorted();
}

void CMultiColumnSortListView::SortRowsBy(const std::vector<CSortableTableModel::SortKey>& keys) {
    if (auto* sortable = qobject_cast<CSortableTableModel*>(model())) {
        sortable->SortRows(keys);
    } else if (model() != nullptr) {
        // From the last key to the first: each stable sort leaves the earlier keys in charge.
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
            model()->sort(it->column, it->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        }
    }
}

void CMultiColumnSortListView::SortColumn(int column, bool addKey) {
    if (column < 0 || column >= kMaxKeys) {
        return;
    }
    m_Sorting = true;
    const std::uint64_t bit = std::uint64_t{1} << column;
    if (!addKey) {
        m_SortHeader->ClearArrows();
        m_SortColumns.fill(-1);
        m_SortColumns[0] = column;
        const bool ascending = (m_AscendingMask & bit) != 0;
        SortRowsBy({{column, ascending, IsNumericColumn(column)}});
        m_SortHeader->SetArrow(column, ascending);
        m_AscendingMask ^= bit;
    } else {
        std::vector<int> keys = SortKeys();
        keys.erase(std::remove(keys.begin(), keys.end(), column), keys.end());
        keys.push_back(column);
        if (keys.size() > static_cast<std::size_t>(kMaxKeys)) {
            keys.erase(keys.begin());
        }
        m_SortColumns.fill(-1);
        std::copy(keys.begin(), keys.end(), m_SortColumns.begin());
        // The new key takes its next direction; the others the one they were last sorted in.
        std::vector<CSortableTableModel::SortKey> sortKeys;
        for (int key : keys) {
            const bool stored = (m_AscendingMask & (std::uint64_t{1} << key)) != 0;
            sortKeys.push_back({key, key == column ? stored : !stored, IsNumericColumn(key)});
        }
        SortRowsBy(sortKeys);
        const bool ascending = sortKeys.back().ascending;
        m_SortHeader->SetArrow(column, ascending);
        if (ascending) {
            m_AscendingMask &= ~bit;
        } else {
            m_AscendingMask |= bit;
        }
    }
    m_Sorting = false;
    qCInfo(lcState, "sorted: %d keys", static_cast<int>(SortKeys().size()));
}

void CMultiColumnSortListView::SaveColumnWidths() {
    if (m_Profile == nullptr || m_UniqueName.empty()) {
        return;
    }
    std::string widths;
    for (int i = 0; i < GetColumnCount(); ++i) {
        widths += std::to_string(columnWidth(i)) + ",";
    }
    m_Profile->SetString(kWidthSection, m_UniqueName, widths);
}

void CMultiColumnSortListView::LoadColumnWidths() {
    std::string stored;
    if (m_Profile != nullptr && !m_UniqueName.empty()) {
        stored = m_Profile->GetString(kWidthSection, m_UniqueName, "");
    }
    // At first start nothing is stored: every column is sized to its content and title.
    m_WidthsStored = !stored.empty();
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= stored.size()) {
        const std::size_t comma = stored.find(',', start);
        fields.push_back(
            stored.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    for (int i = 0; i < GetColumnCount(); ++i) {
        const QString field = static_cast<std::size_t>(i) < fields.size()
                                  ? QString::fromStdString(fields[static_cast<std::size_t>(i)])
                                  : QString();
        const long long width = CSortableTableModel::NumericKey(field);
        if (width >= kMinAutoWidth && width < 100000) {
            setColumnWidth(i, static_cast<int>(width));
        } else {
            AutoSizeColumn(i);
        }
    }
}

int CMultiColumnSortListView::WidestContent(int) const {
    return 0;
}

void CMultiColumnSortListView::AutoSizeColumn(int column) {
    setUpdatesEnabled(false);
    const int content = std::max(sizeHintForColumn(column), WidestContent(column));
    const int header = std::max(content, m_SortHeader->sectionSizeHint(column));
    setColumnWidth(column, std::max(header, kMinAutoWidth));
    setUpdatesEnabled(true);
}

}  // namespace sonvara
