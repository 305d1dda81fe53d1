#pragma once

#include <string>
#include <vector>

#include "ui/sortabletablemodel.h"

namespace sonvara {

class CFileIconCache;
class CTrackList;
struct TrackRecord;

// The working list as a table of nine columns, read straight from the records (no item
// objects per row). Its row order is the list's order after every rebuild; a sort reorders
// the rows, and the view then writes the order back into the list.
class CTrackListModel : public CSortableTableModel {
    Q_OBJECT
public:
    enum Column {
        kFile,
        kCheck,
        kConvert,
        kTitle,
        kArtist,
        kAlbum,
        kLength,
        kPath,
        kLoudness,  // integrated LUFS once measured
        kColumnCount
    };

    CTrackListModel(CTrackList& list, CFileIconCache& icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A change of the list is about to start / has ended: the rows are taken again from the
    // list. While a change runs, no record is read.
    void BeginRebuild();
    void EndRebuild();
    void Rebuild();
    // The records changed in place (verdicts, tags): every cell is read again.
    void RecordsChanged();

    const TrackRecord* RecordAt(int row) const;
    std::vector<std::string> PathsInOrder() const;
    std::vector<const TrackRecord*> RecordsInOrder() const;

    QString ColumnTitle(int column) const;

protected:
    QString SortText(int row, int column) const override;
    void ApplyRowOrder(const std::vector<int>& order) override;

private:
    QString CellText(const TrackRecord& record, int column) const;

    CTrackList& m_List;
    CFileIconCache& m_Icons;
    std::vector<TrackRecord*> m_Rows;
    bool m_Changing = false;
};

}  // namespace sonvara
