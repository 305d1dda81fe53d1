#pragma once

#include <QHeaderView>
#include <QMap>
#include <QTableView>

#include "ui/sortabletablemodel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sonvara {

class IProfileStore;
class CSortableTableModel;

// The header of a sortable list: shows a small up or down mark on every column that holds a
// sort direction.
class CSortHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CSortHeader(QWidget* parent = nullptr);
    void SetArrow(int column, bool ascending);
    void ClearArrows();
    // -1: no arrow; 0: descending; 1: ascending.
    int Arrow(int column) const { return m_Arrows.value(column, -1); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QMap<int, bool> m_Arrows;
};

// A report-style list that sorts its rows on a click on a column header: a plain click sorts by
// that column alone (first descending, then alternating), Ctrl+click adds the column as the
// last key (or moves it there) and sorts by every key, the earlier keys first. The sorts are
// stable. Registered columns sort as numbers or "m:ss" times. The column widths are kept in the
// profile, section "ColumnWidths", under the view's unique name.
class CMultiColumnSortListView : public QTableView {
    Q_OBJECT
public:
    static constexpr int kMaxKeys = 64;
    static constexpr int kMinAutoWidth = 70;

    explicit CMultiColumnSortListView(QWidget* parent = nullptr);

    void SetProfile(IProfileStore* profile) { m_Profile = profile; }
    void SetUniqueName(const std::string& name) { m_UniqueName = name; }
    const std::string& UniqueName() const { return m_UniqueName; }
    void SetNumericColumn(unsigned column);
    bool IsNumericColumn(int column) const;
    void SortColumn(int column, bool addKey);
    void LoadColumnWidths();
    void SaveColumnWidths();
    void AutoSizeColumn(int column);
    // False at first start (no widths stored yet): the owner sizes the columns to their content
    // again once it has rows.
    bool WidthsStored() const { return m_WidthsStored; }
    int GetColumnCount() const;

    // The sort keys in the order they were added.
    std::vector<int> SortKeys() const;
    // After the rows changed without a sort (tracks appended, verdicts changed): when they no
    // longer stand in the keys' order, the arrows go and the key list starts anew, so the header
    // never claims an order the rows do not have. True when the order still holds.
    bool CheckSortOrder();
    bool IsSorting() const { return m_Sorting; }
    CSortHeader* SortHeader() const { return m_SortHeader; }

signals:
    void sorted();

protected:
    // A left click on a header item (with Ctrl: add the key); derived views may extend it.
    virtual void OnHeaderClicked(int column, bool ctrl);
    void SortRowsBy(const std::vector<CSortableTableModel::SortKey>& keys);
    // The width a column's content may need beyond the rows it has now (a column of a few fixed
    // texts: the widest of them); 0 by default.
    virtual int WidestContent(int column) const;

private:
    std::array<int, kMaxKeys> m_SortColumns{};
    std::uint64_t m_AscendingMask = 0;
    std::vector<unsigned> m_NumericColumns;
    std::string m_UniqueName;
    IProfileStore* m_Profile = nullptr;
    CSortHeader* m_SortHeader = nullptr;
    bool m_Sorting = false;
    bool m_WidthsStored = false;
};

}  // namespace sonvara
