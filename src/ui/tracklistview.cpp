// CListSelectedTracksListView: the view of the working track list.
#include "ui/tracklistview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyle>

#include <algorithm>

#include "tracks/trackrecord.h"
#include "ui/commandids.h"
#include "ui/commandrouter.h"
#include "ui/folderfiles.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"

namespace sonvara {

CListSelectedTracksListView::CListSelectedTracksListView(CSonvaraDoc& doc, CFileIconCache& icons,
                                                         QWidget* parent)
    : CMultiColumnSortListView(parent), m_Doc(doc) {
    setObjectName("ListSelectedTracks");
    setAccessibleName(tr("Selected tracks"));
    SetUniqueName(kWidthName);
    m_Model = new CTrackListModel(doc.Tracks(), icons, this);
    m_Model->SetRunService(&doc.Runs());
    setModel(m_Model);
    setTabKeyNavigation(false);  // Tab leaves the list for the next pane
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // Initial widths until the stored ones are applied.
    const int initial[] = {176, 59, 70, 99, 76, 70, 51, 149, 80};
    for (int i = 0; i < CTrackListModel::kColumnCount; ++i) {
        setColumnWidth(i, initial[i]);
    }
    connect(&doc, &CSonvaraDoc::tracksAboutToChange, this,
            &CListSelectedTracksListView::RememberSelection);
    connect(&doc, &CSonvaraDoc::tracksChanged, this, &CListSelectedTracksListView::Rebuild);
    connect(&doc, &CSonvaraDoc::recordsChanged, m_Model, &CTrackListModel::RecordsChanged);
}

CListSelectedTracksListView::~CListSelectedTracksListView() = default;

void CListSelectedTracksListView::OnInitialUpdate() {
    if (!m_Initialised) {
        m_Initialised = true;
        SetNumericColumn(CTrackListModel::kLength);
        SetNumericColumn(CTrackListModel::kLoudness);
        LoadColumnWidths();
    }
    Rebuild();
}

void CListSelectedTracksListView::RememberSelection() {
    if (m_RememberedRow < 0) {
        const std::vector<std::size_t> selected = SelectedIndices();
        m_RememberedRow = selected.empty() ? -1 : static_cast<int>(selected.front());
    }
    m_Model->BeginChange();
}

void CListSelectedTracksListView::Rebuild() {
    if (m_RememberedRow < 0) {
        const std::vector<std::size_t> selected = SelectedIndices();
        m_RememberedRow = selected.empty() ? -1 : static_cast<int>(selected.front());
    }
    const int row = m_RememberedRow;
    m_RememberedRow = -1;
    m_Model->EndChange();
    CheckSortOrder();
    if (!WidthsStored() && !m_SizedToRows && m_Model->rowCount() > 0) {
        // First start: the columns were sized to their titles; now to their content.
        m_SizedToRows = true;
        for (int column = 0; column < GetColumnCount(); ++column) {
            AutoSizeColumn(column);
        }
    }
    // The selected rows went: the row that took the first one's place is selected. A selection that
    // survived the change stays as it is.
    if (!selectionModel()->hasSelection() && row >= 0 && row < m_Model->rowCount()) {
        const QModelIndex index = m_Model->index(row, 0);
        selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    emit countersChanged(m_Doc.GetTrackCount(), m_Doc.GetMp3Count(), m_Doc.GetWavCount());
    if (m_Router != nullptr) {
        m_Router->UpdateCommandUI();
    }
}

std::vector<std::size_t> CListSelectedTracksListView::SelectedIndices() const {
    std::vector<std::size_t> out;
    if (selectionModel() == nullptr) {
        return out;
    }
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            out.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

int CListSelectedTracksListView::WidestContent(int column) const {
    std::vector<std::string> texts;
    if (column == CTrackListModel::kCheck) {
        for (std::int32_t state : {NotAnalysed, AnalysedOk, AnalysedCorrupt}) {
            texts.push_back(CheckStateText(state, m_Doc.Tracks().Strings()));
        }
    } else if (column == CTrackListModel::kConvert) {
        for (std::int32_t state :
             {NotConverted, CannotConvert, ConvertedWavToMp3, ConvertedMp3ToWav, ReencodedMp3}) {
            texts.push_back(ConvertStateText(state, m_Doc.Tracks().Strings()));
        }
    }
    int widest = 0;
    for (const std::string& text : texts) {
        widest = std::max(widest, fontMetrics().horizontalAdvance(QString::fromStdString(text)));
    }
    // The cell's margins on both sides, as the item delegate draws them.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return widest > 0 ? widest + 2 * margin + 2 : 0;
}

void CListSelectedTracksListView::OnHeaderClicked(int column, bool ctrl) {
    SortByColumn(column, ctrl);
}

void CListSelectedTracksListView::SortByColumn(int column, bool addKey) {
    SortColumn(column, addKey);
    // The document follows the view's order (every listed record, so none drops out).
    m_Doc.ReorderByRecords(m_Model->RecordsInOrder());
    emit sorted();
}

void CListSelectedTracksListView::StopPlaying() {
    if (m_Player.stop) {
        m_Player.stop();
    }
}

void CListSelectedTracksListView::RemoveSelected() {
    const std::vector<std::size_t> selected = SelectedIndices();
    if (!selected.empty()) {
        m_RememberedRow = static_cast<int>(selected.front());
        m_Doc.RemoveTracksAt(selected);
    }
}

void CListSelectedTracksListView::EditSelected() {
    const std::vector<std::size_t> selected = SelectedIndices();
    if (!selected.empty() && m_Doc.CanEdit()) {
        StopPlaying();
        m_Doc.EditTracks(selected);
    }
}

void CListSelectedTracksListView::keyReleaseEvent(QKeyEvent* event) {
    CMultiColumnSortListView::keyReleaseEvent(event);
    if (event->isAutoRepeat()) {
        return;
    }
    if (event->key() == Qt::Key_A) {
        selectAll();
    } else if (event->key() == Qt::Key_Delete) {
        RemoveSelected();
    }
}

void CListSelectedTracksListView::mouseDoubleClickEvent(QMouseEvent* event) {
    CMultiColumnSortListView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid()) {
        EditSelected();
    }
}

QMenu* CListSelectedTracksListView::ContextMenu() {
    if (m_ContextMenu != nullptr || m_Router == nullptr) {
        return m_ContextMenu;
    }
    auto* menu = new QMenu(this);
    menu->setObjectName("SelectedTracksMenu");
    menu->setAccessibleName(tr("Selected tracks menu"));
    menu->addAction(m_Router->CommandAction(cmd::kEditTags, tr("&Edit ID3-Tags"), menu));
    menu->addAction(m_Router->CommandAction(cmd::kRemoveTracks, tr("&Remove"), menu));
    menu->addAction(m_Router->CommandAction(cmd::kPlayTrack, tr("&Play Track"), menu));
    menu->addAction(m_Router->CommandAction(cmd::kStopPlaying, tr("&Stop Playing"), menu));
    menu->addSeparator();
    const struct {
        const char* title;
        int all;
        int selected;
    } subs[] = {
        {QT_TR_NOOP("Analyze"), cmd::kAnalyze, cmd::kAnalyzeSelected},
        {QT_TR_NOOP("&Convert MP3 -> WAV"), cmd::kMp3ToWav, cmd::kMp3ToWavSelected},
        {QT_TR_NOOP("C&onvert WAV -> MP3"), cmd::kWavToMp3, cmd::kWavToMp3Selected},
        {QT_TR_NOOP("C&onvert MP3 -> MP3"), cmd::kMp3ToMp3, cmd::kMp3ToMp3Selected},
        {QT_TR_NOOP("Rep&air Corrupt Files"), cmd::kRepair, cmd::kRepairSelected},
        {QT_TR_NOOP("Measure &Loudness"), cmd::kMeasureLoudness, cmd::kMeasureLoudnessSelected},
        {QT_TR_NOOP("Write &ReplayGain Tags"), cmd::kWriteReplayGain,
         cmd::kWriteReplayGainSelected},
    };
    for (const auto& sub : subs) {
        QMenu* submenu = menu->addMenu(tr(sub.title));
        submenu->setAccessibleName(tr(sub.title).remove(QLatin1Char('&')));
        submenu->addAction(m_Router->CommandAction(sub.all, tr("All..."), submenu));
        submenu->addAction(m_Router->CommandAction(sub.selected, tr("Only selected..."), submenu));
    }
    m_ContextMenu = menu;
    return menu;
}

void CListSelectedTracksListView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = ContextMenu();
    if (menu == nullptr) {
        return;
    }
    m_Router->UpdateCommandUI();
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? viewport()->mapToGlobal(QPoint(5, 5))
                          : event->globalPos();
    menu->popup(at);
}

namespace {

// Dropped files are added, never moved: a drop is always a copy, whatever the file manager
// proposes (some delete the source after a move).
void AcceptAsCopy(QDropEvent* event) {
    if (!event->mimeData()->hasUrls() || !event->possibleActions().testFlag(Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

}  // namespace

void CListSelectedTracksListView::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event);
}

void CListSelectedTracksListView::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event);
}

void CListSelectedTracksListView::dropEvent(QDropEvent* event) {
    AcceptAsCopy(event);
    if (!event->isAccepted()) {
        return;
    }
    const std::vector<std::string> paths = TrackFilesOfUrls(event->mimeData()->urls());
    if (!paths.empty()) {
        // After the drop has returned to the sender: adding runs a modal dialog.
        QMetaObject::invokeMethod(
            this, [this, paths] { m_Doc.AddTracks(paths); }, Qt::QueuedConnection);
    }
}

bool CListSelectedTracksListView::QueryCommand(int id, bool& enabled) {
    const bool selected = selectionModel() != nullptr && selectionModel()->hasSelection();
    switch (id) {
        case cmd::kEditTags: enabled = selected && m_Doc.CanEdit(); return true;
        case cmd::kRemoveTracks: enabled = selected; return true;
        case cmd::kPlayTrack: enabled = static_cast<bool>(m_Player.play); return true;
        case cmd::kStopPlaying: enabled = static_cast<bool>(m_Player.pause); return true;
        case cmd::kAnalyzeSelected: enabled = selected && m_Doc.HasJobRunner(); return true;
        case cmd::kMp3ToWavSelected:
            enabled = selected && m_Doc.CanRun(CSonvaraDoc::Job::kMp3ToWav);
            return true;
        case cmd::kWavToMp3Selected:
            enabled = selected && m_Doc.CanRun(CSonvaraDoc::Job::kWavToMp3);
            return true;
        case cmd::kMp3ToMp3Selected:
            enabled = selected && m_Doc.CanRun(CSonvaraDoc::Job::kMp3ToMp3);
            return true;
        case cmd::kRepairSelected: enabled = selected && m_Doc.HasJobRunner(); return true;
        case cmd::kMeasureLoudnessSelected:
            enabled = selected && m_Doc.CanRun(CSonvaraDoc::Job::kLoudness);
            return true;
        case cmd::kWriteReplayGainSelected:
            enabled = selected && m_Doc.CanRun(CSonvaraDoc::Job::kReplayGain);
            return true;
        default: return false;
    }
}

void CListSelectedTracksListView::ExecuteCommand(int id) {
    bool enabled = false;
    if (!QueryCommand(id, enabled) || !enabled) {
        return;
    }
    const auto runSelected = [this](CSonvaraDoc::Job job) {
        const std::vector<std::size_t> selected = SelectedIndices();
        if (!selected.empty()) {
            StopPlaying();
            m_Doc.RunJobOnSelected(job, selected);
        }
    };
    switch (id) {
        case cmd::kEditTags: EditSelected(); break;
        case cmd::kRemoveTracks: RemoveSelected(); break;
        case cmd::kPlayTrack: {
            const std::vector<std::size_t> selected = SelectedIndices();
            const TrackRecord* record =
                selected.empty() ? nullptr : m_Model->RecordAt(static_cast<int>(selected.front()));
            if (record != nullptr) {
                m_Player.play(record->path);
            }
            break;
        }
        case cmd::kStopPlaying: m_Player.pause(); break;
        case cmd::kAnalyzeSelected: runSelected(CSonvaraDoc::Job::kAnalyze); break;
        case cmd::kRepairSelected: runSelected(CSonvaraDoc::Job::kRepair); break;
        case cmd::kMp3ToWavSelected: runSelected(CSonvaraDoc::Job::kMp3ToWav); break;
        case cmd::kWavToMp3Selected: runSelected(CSonvaraDoc::Job::kWavToMp3); break;
        case cmd::kMp3ToMp3Selected: runSelected(CSonvaraDoc::Job::kMp3ToMp3); break;
        case cmd::kMeasureLoudnessSelected: runSelected(CSonvaraDoc::Job::kLoudness); break;
        case cmd::kWriteReplayGainSelected: runSelected(CSonvaraDoc::Job::kReplayGain); break;
        default: break;
    }
}

}  // namespace sonvara
