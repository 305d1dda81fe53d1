#include "ui/sortabletablemodel.h"

#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>
#include <thread>

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
        // The texts are read here (the model is not thread-safe); the collation keys, the
        // costly part, are made on every core, each thread with a collator of its own.
        QStringList texts;
        texts.reserve(n);
        for (int r = 0; r < n; ++r) {
            texts.append(SortText(r, column));
        }
        std::vector<std::optional<QCollatorSortKey>> keys(order.size());
        const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
        const unsigned parts = n >= 20000 ? cores : 1;
        const auto makeKeys = [&](std::size_t from, std::size_t to) {
            const QCollator collator = TextCollator();
            for (std::size_t r = from; r < to; ++r) {
                keys[r].emplace(collator.sortKey(texts[static_cast<qsizetype>(r)]));
            }
        };
        std::vector<std::thread> workers;
        const std::size_t chunk = (order.size() + parts - 1) / parts;
        for (unsigned p = 1; p < parts; ++p) {
            const std::size_t from = std::min(order.size(), p * chunk);
            workers.emplace_back(makeKeys, from, std::min(order.size(), from + chunk));
        }
        makeKeys(0, std::min(order.size(), chunk));
        for (std::thread& worker : workers) {
            worker.join();
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return ascending ? keys[a]->compare(*keys[b]) < 0 : keys[b]->compare(*keys[a]) < 0;
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
