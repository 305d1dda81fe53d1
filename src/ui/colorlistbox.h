#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <cstdint>
#include <utility>
#include <vector>

namespace sonvara {

// The lines of a CColorListBox: text and colour, nothing per line beyond that.
class CColorListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kColourRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int Append(const QString& text, std::uint32_t colour);
    void Append(std::vector<std::pair<QString, std::uint32_t>>&& lines);
    void Clear();
    const QString& Text(int row) const { return m_Lines[static_cast<std::size_t>(row)].text; }
    std::uint32_t Colour(int row) const { return m_Lines[static_cast<std::size_t>(row)].colour; }

private:
    struct Line {
        QString text;
        std::uint32_t colour;
    };
    std::vector<Line> m_Lines;
};

// Draws a line in its own colour: 0 is the palette's text colour, any other value an RGB
// colour with red in the low byte. A selected line is filled with its colour (black for 0)
// and its text drawn in the inverse colour (the highlighted-text colour for 0).
class CColorLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static int LineHeight(const QFontMetrics& metrics);
};

// The results list of the run dialogs: one line per result, each with its colour. Fixed line
// height and no object per line, so that 100 000 lines stay quick.
class CColorListBox : public QListView {
    Q_OBJECT
public:
    explicit CColorListBox(QWidget* parent = nullptr);

    // Appends a line in the palette's colours; returns its index.
    int AddString(const QString& text);
    // Appends a line in the colour given (0: the palette's, 255: red); returns its index.
    int AddColoredString(const QString& text, std::uint32_t colour);
    // Appends many lines at once.
    void AddColoredStrings(std::vector<std::pair<QString, std::uint32_t>>&& lines);
    void ResetContent();
    int GetCount() const;
    QString GetText(int index) const;
    std::uint32_t GetItemData(int index) const;
    // Scrolls so that the line is the top visible one (as far as the list can scroll).
    void SetTopIndex(int index);
    int GetTopIndex() const;

    static QColor ColourOf(std::uint32_t colour);

private:
    CColorListModel* m_Model;
};

}  // namespace sonvara
