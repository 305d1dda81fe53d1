#include "ui/tracklistmodel.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "platform/paths.h"
#include "tracks/tracklist.h"
#include "ui/fileicons.h"

namespace sonvara {

CTrackListModel::CTrackListModel(CTrackList& list, CFileIconCache& icons, QObject* parent)
    : CSortableTableModel(parent), m_List(list), m_Icons(icons) {
    m_Rows = m_List.Records();
}

int CTrackListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CTrackListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString CTrackListModel::ColumnTitle(int column) const {
    if (column == kLoudness) {
        return tr("Loudness");
    }
    const std::vector<std::string> titles = ColumnTitles(m_List.Strings());
    return column >= 0 && static_cast<std::size_t>(column) < titles.size()
               ? QString::fromStdString(titles[static_cast<std::size_t>(column)])
               : QString();
}

QString CTrackListModel::CellText(const TrackRecord& record, int column) const {
    switch (column) {
        case kFile: return QString::fromStdString(std::string(FileNamePart(record.path)));
        case kCheck:
            return QString::fromStdString(CheckStateText(record.checkState, m_List.Strings()));
        case kConvert:
            return QString::fromStdString(ConvertStateText(record.convertState, m_List.Strings()));
        case kTitle: return QString::fromStdString(record.title);
        case kArtist: return QString::fromStdString(record.artist);
        case kAlbum: return QString::fromStdString(record.album);
        case kLength: return QString::fromStdString(record.lengthText);
        case kPath: return QString::fromStdString(record.path);
        case kLoudness:
            return std::isnan(record.loudness)
                       ? QString()
                       : QStringLiteral("%1 LUFS").arg(record.loudness, 0, 'f', 1);
        default: return {};
    }
}

QVariant CTrackListModel::data(const QModelIndex& index, int role) const {
    const TrackRecord* live =
        index.isValid() && index.column() < kColumnCount ? RecordAt(index.row()) : nullptr;
    if (live == nullptr) {
        return {};
    }
    const TrackRecord& record = *live;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole:
            if (role == Qt::ToolTipRole && index.column() != kFile && index.column() != kPath) {
                return {};
            }
            return CellText(record, index.column());
        case Qt::DecorationRole:
            if (index.column() == kFile) {
                return m_Icons.ForFile(QString::fromStdString(record.path));
            }
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == kLength ? QVariant(int(Qt::AlignHCenter | Qt::AlignVCenter))
                   : index.column() == kLoudness ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                                 : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::ForegroundRole:
            // A corrupt track stands out, red as in the results lists of the runs.
            if (record.checkState == AnalysedCorrupt) {
                return QBrush(QColor(255, 0, 0));
            }
            return {};
        default: return {};
    }
}

QVariant CTrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return ColumnTitle(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return section == kLength ? QVariant(int(Qt::AlignHCenter | Qt::AlignVCenter))
                                  : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

void CTrackListModel::BeginChange() {
    m_Changing = true;
}

void CTrackListModel::EndChange() {
    m_Changing = false;
    const std::vector<TrackRecord*> listed = m_List.Records();
    if (listed.size() >= m_Rows.size() &&
        std::equal(m_Rows.begin(), m_Rows.end(), listed.begin())) {
        // Only appended (the common change, an add): no record left or moved.
        if (listed.size() > m_Rows.size()) {
            const int first = static_cast<int>(m_Rows.size());
            beginInsertRows({}, first, static_cast<int>(listed.size()) - 1);
            m_Rows = listed;
            endInsertRows();
        }
        return;
    }
    // Which rows' records left the list. When the list is the rows with some taken out (a
    // removal, a move), one walk tells; else a look-up of every row.
    std::vector<char> leaving(m_Rows.size(), 1);
    std::size_t next = 0;
    for (std::size_t row = 0; row < m_Rows.size() && next < listed.size(); ++row) {
        if (m_Rows[row] == listed[next]) {
            leaving[row] = 0;
            ++next;
        }
    }
    const bool onlyRemoved = next == listed.size();
    if (!onlyRemoved) {
        const std::unordered_set<const TrackRecord*> stillListed(listed.begin(), listed.end());
        for (std::size_t row = 0; row < m_Rows.size(); ++row) {
            leaving[row] = stillListed.count(m_Rows[row]) == 0 ? 1 : 0;
        }
    }
    RemoveRows(leaving);
    if (onlyRemoved) {
        return;
    }
    // The new records come in at the end, in the list's order.
    const std::unordered_set<const TrackRecord*> shown(m_Rows.begin(), m_Rows.end());
    std::vector<TrackRecord*> added;
    for (TrackRecord* record : listed) {
        if (shown.count(record) == 0) {
            added.push_back(record);
        }
    }
    if (!added.empty()) {
        const int first = static_cast<int>(m_Rows.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        m_Rows.insert(m_Rows.end(), added.begin(), added.end());
        endInsertRows();
    }
    // The list put its records in another order: the rows follow, and so do the selection
    // and the current row.
    if (m_Rows != listed) {
        std::unordered_map<const TrackRecord*, int> rowOf;
        for (std::size_t row = 0; row < listed.size(); ++row) {
            rowOf.emplace(listed[row], static_cast<int>(row));
        }
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from) {
            const auto it = index.isValid() && index.row() < static_cast<int>(m_Rows.size())
                                ? rowOf.find(m_Rows[static_cast<std::size_t>(index.row())])
                                : rowOf.end();
            to.append(it != rowOf.end() ? this->index(it->second, index.column()) : QModelIndex());
        }
        m_Rows = listed;
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
}

void CTrackListModel::RemoveRows(const std::vector<char>& leaving) {
    // One contiguous range at a time from the end, so that the rows above a range keep their
    // numbers. Their records are gone already: a view that reads such a row before it is
    // removed gets nothing.
    for (std::size_t row = 0; row < m_Rows.size(); ++row) {
        if (leaving[row] != 0) {
            m_Gone.insert(m_Rows[row]);
        }
    }
    for (int last = static_cast<int>(m_Rows.size()) - 1; last >= 0;) {
        if (leaving[static_cast<std::size_t>(last)] == 0) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && leaving[static_cast<std::size_t>(first - 1)] != 0) {
            --first;
        }
        beginRemoveRows({}, first, last);
        m_Rows.erase(m_Rows.begin() + first, m_Rows.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
    m_Gone.clear();
}

void CTrackListModel::RecordsChanged(const std::vector<const TrackRecord*>& records) {
    if (m_Changing || records.empty() || m_Rows.empty()) {
        return;
    }
    const std::unordered_set<const TrackRecord*> touched(records.begin(), records.end());
    const int rows = static_cast<int>(m_Rows.size());
    for (int first = 0; first < rows;) {
        if (touched.count(m_Rows[static_cast<std::size_t>(first)]) == 0) {
            ++first;
            continue;
        }
        int last = first;
        while (last + 1 < rows && touched.count(m_Rows[static_cast<std::size_t>(last + 1)]) != 0) {
            ++last;
        }
        emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
        first = last + 1;
    }
}

const TrackRecord* CTrackListModel::RecordAt(int row) const {
    if (m_Changing || row < 0 || row >= static_cast<int>(m_Rows.size())) {
        return nullptr;
    }
    const TrackRecord* record = m_Rows[static_cast<std::size_t>(row)];
    return m_Gone.count(record) == 0 ? record : nullptr;
}

std::vector<std::string> CTrackListModel::PathsInOrder() const {
    std::vector<std::string> paths;
    paths.reserve(m_Rows.size());
    for (const TrackRecord* record : m_Rows) {
        paths.push_back(record->path);
    }
    return paths;
}

std::vector<const TrackRecord*> CTrackListModel::RecordsInOrder() const {
    return {m_Rows.begin(), m_Rows.end()};
}

QString CTrackListModel::SortText(int row, int column) const {
    const TrackRecord& record = *m_Rows[static_cast<std::size_t>(row)];
    if (column == kLoudness) {
        // Hundredths of a LU as a whole number (the numeric key); unmeasured tracks first.
        return std::isnan(record.loudness)
                   ? QStringLiteral("-1000000")
                   : QString::number(static_cast<long long>(std::llround(record.loudness * 100)));
    }
    return CellText(record, column);
}

void CTrackListModel::ApplyRowOrder(const std::vector<int>& order) {
    std::vector<TrackRecord*> rows;
    rows.reserve(order.size());
    for (int from : order) {
        rows.push_back(m_Rows[static_cast<std::size_t>(from)]);
    }
    m_Rows = std::move(rows);
}

}  // namespace sonvara
