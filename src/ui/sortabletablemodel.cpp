#include "ui/sortabletablemodel.h"

#include "ui/collationranks.h"

#include <QHash>
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

QLocale CSortableTableModel::CollationLocale() {
    QLocale locale;
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return locale;
}

QCollator CSortableTableModel::TextCollator() {
    QCollator collator(CollationLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

QString CSortableTableModel::SortText(int row, int column) const {
    return data(index(row, column), Qt::DisplayRole).toString();
}

std::vector<long long> CSortableTableModel::NumericRanks(int column) const {
    const int n = rowCount();
    std::vector<long long> ranks(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        ranks[static_cast<std::size_t>(r)] = NumericKey(SortText(r, column));
    }
    return ranks;
}

std::vector<long long> CSortableTableModel::TextRanks(int column) const {
    // The texts are read here (the model is not thread-safe), each distinct one kept once.
    const int n = rowCount();
    std::vector<int> textOfRow(static_cast<std::size_t>(n));
    QStringList texts;
    {
        QHash<QString, int> seen;
        seen.reserve(n);
        for (int r = 0; r < n; ++r) {
            QString text = SortText(r, column);
            auto it = seen.constFind(text);
            if (it == seen.constEnd()) {
                it = seen.insert(text, static_cast<int>(texts.size()));
                texts.append(std::move(text));
            }
            textOfRow[static_cast<std::size_t>(r)] = it.value();
        }
    }
    const std::vector<long long> rankOfText = CollationRanks(texts, CollationLocale(), m_Runs);
    std::vector<long long> ranks(static_cast<std::size_t>(n));
    for (std::size_t r = 0; r < ranks.size(); ++r) {
        ranks[r] = rankOfText[static_cast<std::size_t>(textOfRow[r])];
    }
    return ranks;
}

void CSortableTableModel::SortRows(int column, bool ascending, bool numeric) {
    SortRows({SortKey{column, ascending, numeric}});
}

bool CSortableTableModel::IsOrderedBy(const std::vector<SortKey>& keys) const {
    const int n = rowCount();
    if (n < 2 || keys.empty()) {
        return true;
    }
    const QCollator collator = TextCollator();
    // < 0: row a sorts before row b, > 0: after, 0: the keys cannot tell them apart.
    const auto compare = [&](int a, int b) {
        for (const SortKey& key : keys) {
            const QString x = SortText(a, key.column);
            const QString y = SortText(b, key.column);
            int order = 0;
            if (key.numeric) {
                const long long p = NumericKey(x);
                const long long q = NumericKey(y);
                order = p < q ? -1 : (p > q ? 1 : 0);
            } else {
                order = collator.compare(x, y);
            }
            if (order != 0) {
                return key.ascending ? order : -order;
            }
        }
        return 0;
    };
    for (int row = 1; row < n; ++row) {
        if (compare(row - 1, row) > 0) {
            return false;
        }
    }
    return true;
}

void CSortableTableModel::SortRows(const std::vector<SortKey>& keys) {
    const int n = rowCount();
    if (n < 2 || keys.empty()) {
        return;
    }
    for (const SortKey& key : keys) {
        if (key.column < 0 || key.column >= columnCount()) {
            return;
        }
    }
    std::vector<std::vector<long long>> ranks;
    ranks.reserve(keys.size());
    for (const SortKey& key : keys) {
        ranks.push_back(key.numeric ? NumericRanks(key.column) : TextRanks(key.column));
    }
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    // Descending compares with the operands swapped; rows equal in every key keep their order.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const long long ra = ranks[k][static_cast<std::size_t>(a)];
            const long long rb = ranks[k][static_cast<std::size_t>(b)];
            if (ra != rb) {
                return keys[k].ascending ? ra < rb : rb < ra;
            }
        }
        return false;
    });

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
