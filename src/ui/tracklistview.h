// CListSelectedTracksListView: the view of the working track list.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/commandtarget.h"
#include "ui/multicolumnsortlistview.h"

class QMenu;

namespace sonvara {

class CFileIconCache;
class CSonvaraDoc;
class CTrackListModel;
class ICommandRouter;

// The working list: eight columns with the verdicts, sortable by the base's rules. Its order
// is written back into the document after every sort, so reports and runs follow what the user
// sees. Delete removes the selected rows, A selects every row, a double click edits the tags,
// and files or folders dropped on it are added.
class CListSelectedTracksListView : public CMultiColumnSortListView, public ICommandTarget {
    Q_OBJECT
public:
    static constexpr const char* kWidthName = "LISTSELECTEDTRACK";

    CListSelectedTracksListView(CSonvaraDoc& doc, CFileIconCache& icons, QWidget* parent = nullptr);
    ~CListSelectedTracksListView() override;

    // The columns' set-up: registers the time column and applies the stored widths. A repeated
    // initial update (a new document) only rebuilds the rows; the columns stay as they are.
    void OnInitialUpdate();
    void Rebuild();
    std::vector<std::size_t> SelectedIndices() const;
    // Sorts as a click on the column's header does (with addKey, as a Ctrl+click), and the
    // document follows the new order.
    void SortByColumn(int column, bool addKey);
    CTrackListModel* TrackModel() const { return m_Model; }
    void SetRouter(ICommandRouter* router) { m_Router = router; }

    // Playback, once a player exists: play a path (resuming the same one), pause, stop.
    struct PlayerHooks {
        std::function<void(const std::string& path)> play;
        std::function<void()> pause;
        std::function<void()> stop;
    };
    void SetPlayerHooks(PlayerHooks hooks) { m_Player = std::move(hooks); }
    void StopPlaying();

    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

signals:
    // "Tracks: %d", "MP3s: %d", "WAVs: %d" for the status bar.
    void countersChanged(int tracks, int mp3s, int wavs);

protected:
    void OnHeaderClicked(int column, bool ctrl) override;
    int WidestContent(int column) const override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void RememberSelection();
    void RemoveSelected();
    void EditSelected();
    QMenu* ContextMenu();

    CSonvaraDoc& m_Doc;
    CTrackListModel* m_Model = nullptr;
    ICommandRouter* m_Router = nullptr;
    QMenu* m_ContextMenu = nullptr;
    PlayerHooks m_Player;
    int m_RememberedRow = -1;
    bool m_Initialised = false;
    bool m_SizedToRows = false;  // first start: sized to the content of the first rows
};

}  // namespace sonvara
