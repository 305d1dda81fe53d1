#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "ui/sortabletablemodel.h"

namespace sonvara {

class CFileIconCache;
class CTrackList;
struct TrackRecord;

// The working list as a table of nine columns, read straight from the records (no item
// objects per row). It changes by rows: after a change of the list the rows of the records
// that left are removed, the new records' rows inserted at the end, and a new order of the
// list is a layout change; a sort reorders the rows (the view then writes the order back into
// the list). Selection and current row follow their records throughout.
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

    // A change of the list is about to start / has ended: the rows then follow the list (rows
    // removed, inserted at the end, reordered). While a change runs, no record is read.
    void BeginChange();
    void EndChange();
    // These records changed in place (verdicts, tags): their rows are read again.
    void RecordsChanged(const std::vector<const TrackRecord*>& records);

    const TrackRecord* RecordAt(int row) const;
    std::vector<std::string> PathsInOrder() const;
    std::vector<const TrackRecord*> RecordsInOrder() const;

    QString ColumnTitle(int column) const;

protected:
    QString SortText(int row, int column) const override;
    void ApplyRowOrder(const std::vector<int>& order) override;

private:
    QString CellText(const TrackRecord& record, int column) const;
    // Removes the rows flagged, whose records have left the list.
    void RemoveRows(const std::vector<char>& leaving);

    CTrackList& m_List;
    CFileIconCache& m_Icons;
    std::vector<TrackRecord*> m_Rows;
    std::unordered_set<const TrackRecord*> m_Gone;  // while their rows are being removed
    bool m_Changing = false;
};

}  // namespace sonvara
