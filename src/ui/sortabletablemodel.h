#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QLocale>
#include <QString>

#include <vector>

namespace sonvara {

class CRunService;

// A table model whose rows the sortable list view can reorder: one stable sort by one or more
// columns, each by its text (case-insensitive, in the user's language) or by its number for
// numeric and time columns. Persistent indexes follow their rows.
class CSortableTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The threads that make the sort keys of a long column; without, the calling thread.
    void SetRunService(CRunService* runs) { m_Runs = runs; }

    struct SortKey {
        int column = 0;
        bool ascending = true;
        bool numeric = false;
    };

    void SortRows(int column, bool ascending, bool numeric);
    // One stable sort by several keys, the first in charge: the same order as sorting by the
    // last key, then by each earlier one, but with one pass over the rows.
    void SortRows(const std::vector<SortKey>& keys);
    // Whether the rows stand in the order the keys give: no neighbouring pair out of order.
    bool IsOrderedBy(const std::vector<SortKey>& keys) const;

    // The key of a numeric or time column: "m:ss" is m * 60 + ss, any other text the number
    // it starts with (0 when none), both read the way atoi reads them.
    static long long NumericKey(QStringView text);
    // The comparison of text keys: case-insensitive, in the user's language (English rules
    // under the C locale).
    static QCollator TextCollator();
    static QLocale CollationLocale();

protected:
    // The text the rows are sorted by (default: the display text).
    virtual QString SortText(int row, int column) const;
    // Puts the rows in the new order: new row i is old row order[i].
    virtual void ApplyRowOrder(const std::vector<int>& order) = 0;

private:
    // Every row's place in one column's order: rows that compare equal share a rank, a lower
    // rank sorts first. A text column ranks each distinct text once.
    std::vector<long long> TextRanks(int column) const;
    std::vector<long long> NumericRanks(int column) const;

    CRunService* m_Runs = nullptr;
};

}  // namespace sonvara
