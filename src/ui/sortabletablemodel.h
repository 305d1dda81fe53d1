#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QString>

#include <vector>

namespace sonvara {

// A table model whose rows the sortable list view can reorder: one stable sort by the text of
// one column (case-insensitive, in the user's language), or by its number for numeric and time
// columns. Persistent indexes follow their rows.
class CSortableTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SortRows(int column, bool ascending, bool numeric);

    // The key of a numeric or time column: "m:ss" is m * 60 + ss, any other text the number
    // it starts with (0 when none), both read the way atoi reads them.
    static long long NumericKey(QStringView text);
    // The comparison of text keys: case-insensitive, in the user's language (English rules
    // under the C locale).
    static QCollator TextCollator();

protected:
    // The text the rows are sorted by (default: the display text).
    virtual QString SortText(int row, int column) const;
    // Puts the rows in the new order: new row i is old row order[i].
    virtual void ApplyRowOrder(const std::vector<int>& order) = 0;
};

}  // namespace sonvara
