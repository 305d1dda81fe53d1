#include "ui/tracklistmodel.h"

#include <QBrush>
#include <QColor>

#include <cmath>

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
    if (m_Changing || !index.isValid() || index.row() >= static_cast<int>(m_Rows.size()) ||
        index.column() >= kColumnCount) {
        return {};
    }
    const TrackRecord& record = *m_Rows[static_cast<std::size_t>(index.row())];
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

void CTrackListModel::BeginRebuild() {
    if (!m_Changing) {
        beginResetModel();
        m_Changing = true;
    }
}

void CTrackListModel::EndRebuild() {
    if (!m_Changing) {
        beginResetModel();
    }
    m_Rows = m_List.Records();
    m_Changing = false;
    endResetModel();
}

void CTrackListModel::Rebuild() {
    BeginRebuild();
    EndRebuild();
}

void CTrackListModel::RecordsChanged() {
    if (!m_Rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
}

const TrackRecord* CTrackListModel::RecordAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_Rows.size()) && !m_Changing
               ? m_Rows[static_cast<std::size_t>(row)]
               : nullptr;
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
