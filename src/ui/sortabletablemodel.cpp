#include "ui/sortabletablemodel.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

namespace sonvara {

namespace {
// The C runtime's string-to-integer reading: blanks, a sign, leading digits; 0 if none.
long long AtoiLike(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' ||
                               text[i] == u'\r' || text[i] == u'\v' || text[i] == u'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (value < 1000000000000000LL) {
            value = value * 10 + (text[i].unicode() - u'0');
        }
        ++i;
    }
    return negative ? -value : value;
}
}  // namespace

long long CSortableTableModel::NumericKey(QStringView text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        return AtoiLike(text);
    }
    return AtoiLike(text.left(colon)) * 60 + AtoiLike(text.mid(colon + 1));
}

QCollator CSortableTableModel::TextCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

QString CSortableTableModel::SortText(int row, int column) const {
    return data(index(row, column), Qt::DisplayRole).toString();
}

void CSortableTableModel::SortRows(int column, bool ascending, bool numeric) {
    const int n = rowCount();
    if (column < 0 || column >= columnCount() || n < 2) {
        return;
    }
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (numeric) {
        std::vector<long long> keys(order.size());
        for (int r = 0; r < n; ++r) {
            keys[static_cast<std::size_t>(r)] = NumericKey(SortText(r, column));
        }
        // Descending compares with the operands swapped; equal rows keep their order.
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
        });
    } else {
        const QCollator collator = TextCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(order.size());
        for (int r = 0; r < n; ++r) {
            keys.push_back(collator.sortKey(SortText(r, column)));
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return ascending ? keys[a].compare(keys[b]) < 0 : keys[b].compare(keys[a]) < 0;
        });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRow(order.size());
    for (int i = 0; i < n; ++i) {
        newRow[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = i;
    }
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        to.append(index.isValid() && index.row() < n
                      ? this->index(newRow[static_cast<std::size_t>(index.row())], index.column())
                      : QModelIndex());
    }
    ApplyRowOrder(order);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace sonvara
