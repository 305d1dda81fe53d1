#include "ui/sonvaradoc.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "jobs/strings.h"
#include "platform/paths.h"
#include "runs/movecorrupt.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/dlgreadfilesinfo.h"
#include "ui/pathtext.h"
#include "ui/qtrunhost.h"
#include "ui/statelog.h"

namespace sonvara {

namespace {

// What the move of the corrupt files shows: a box for each file that could not be moved, and
// its overwrite questions under the command's name with No as the default.
class CMoveView : public IRunView {
public:
    CMoveView(QWidget* parent, const CStrings& strings) : m_Parent(parent), m_Strings(strings) {}
    void ShowCurrentFile(const QString&) override {}
    void ShowStage(const QString&) override {}
    void ClearResults() override {}
    void AddResults(std::vector<std::pair<QString, std::uint32_t>>&&) override {}
    void ScrollResultsToEnd() override {}
    void ShowProgress(int) override {}
    void ApplyUpdate(const TrackUpdate&) override {}
    void OnRunEnded() override {}
    QWidget* MessageParent() override { return m_Parent; }
    void ShowError(const QString& path, const QString& reason) override {
        QMessageBox::information(
            m_Parent, Caption(),
            QString::fromStdString(
                m_Strings.Text(StringId::kMoveFailed, path.toStdString(), reason.toStdString())));
    }
    void DecorateBox(QMessageBox& box, bool question) override {
        box.setWindowTitle(Caption());
        if (question) {
            box.setDefaultButton(QMessageBox::No);
        }
    }

private:
    static QString Caption() { return CSonvaraDoc::tr("Move & Save Corrupt Files"); }
    QWidget* m_Parent;
    const CStrings& m_Strings;
};

}  // namespace

CSonvaraDoc::CSonvaraDoc(CSettings& settings, CRunService& runs, QObject* parent)
    : QObject(parent), m_Settings(settings), m_Runs(runs), m_Tracks(runs.Strings()) {
    setObjectName("SonvaraDoc");
}

CSonvaraDoc::~CSonvaraDoc() = default;

bool CSonvaraDoc::HasCorruptTracks() const {
    return m_Tracks.GetCorruptCount() > 0;
}

void CSonvaraDoc::UpdateViews() {
    emit tracksChanged();
}

void CSonvaraDoc::StopPlayback() {
    if (m_StopPlayback) {
        m_StopPlayback();
    }
}

void CSonvaraDoc::SetCurrentFolder(const std::string& folder) {
    m_CurrentFolder = folder;
    emit currentFolderChanged(PathText(folder));
    UpdateViews();
}

std::vector<ReadTrack> CSonvaraDoc::ReadWithDialog(const std::vector<std::string>& paths,
                                                   bool tags) {
    CDlgReadFilesInfo dialog(m_Runs, paths, tags, m_DialogParent);
    dialog.exec();
    return dialog.TakeResults();
}

void CSonvaraDoc::AddTracks(const std::vector<std::string>& paths) {
    StopPlayback();
    std::vector<std::string> fresh = m_Tracks.NewPaths(paths);
    if (fresh.empty()) {
        UpdateViews();
        qCInfo(lcState, "tracks added: 0; listed %d", GetTrackCount());
        return;
    }
    const bool tags = m_Settings.GetID3Check();
    std::vector<ReadTrack> read =
        m_ReadRunner ? m_ReadRunner(fresh, tags) : ReadWithDialog(fresh, tags);
    emit tracksAboutToChange();
    const std::size_t before = m_Tracks.GetTrackCount();
    m_Tracks.AppendRead(std::move(read), tags);
    UpdateViews();
    qCInfo(lcState, "tracks added: %d; listed %d",
           static_cast<int>(m_Tracks.GetTrackCount() - before), GetTrackCount());
}

void CSonvaraDoc::RemoveTracksAt(const std::vector<std::size_t>& ascending) {
    emit tracksAboutToChange();
    m_Tracks.RemoveTracksAt(ascending);
    m_Tracks.RecountTypes();
    UpdateViews();
}

void CSonvaraDoc::ReorderByPaths(const std::vector<std::string>& paths) {
    m_Tracks.ReorderByPaths(paths);
}

void CSonvaraDoc::ReorderByRecords(const std::vector<const TrackRecord*>& order) {
    m_Tracks.ReorderByRecords(order);
}

void CSonvaraDoc::EditTracks(const std::vector<std::size_t>& indices) {
    if (!m_EditRunner || indices.empty()) {
        return;
    }
    std::vector<TrackRecord*> records;
    for (std::size_t i : indices) {
        if (i < m_Tracks.GetTrackCount()) {
            records.push_back(&m_Tracks.At(i));
        }
    }
    const bool changed = m_EditRunner(records);
    if (changed || records.size() > 1) {
        UpdateViews();
    }
    qCInfo(lcState, "properties closed: %s", changed ? "changed" : "unchanged");
}

bool CSonvaraDoc::CanRun(Job job) const {
    if (!m_JobRunner) {
        return false;
    }
    if (job == Job::kRepair) {
        return HasCorruptTracks();
    }
    if (job == Job::kLoudness) {
        return GetTrackCount() > 0;
    }
    return job == Job::kWavToMp3 ? GetWavCount() > 0 : GetMp3Count() > 0;
}

void CSonvaraDoc::RunOn(Job job, const std::vector<TrackRecord*>& tracks) {
    StopPlayback();
    if (m_JobRunner && !tracks.empty()) {
        m_JobRunner(job, tracks);
        m_Tracks.RecountTypes();  // the run's host changed the records in place
    }
    UpdateViews();
    static const char* const kNames[] = {"analyze", "mp3-to-wav", "wav-to-mp3", "mp3-to-mp3",
                                         "repair",  "loudness",   "replaygain"};
    qCInfo(lcState, "job done: %s; %d tracks", kNames[static_cast<int>(job)],
           static_cast<int>(tracks.size()));
}

void CSonvaraDoc::RunJob(Job job) {
    if (job == Job::kRepair) {  // all: the corrupt tracks
        std::vector<TrackRecord*> corrupt;
        for (TrackRecord* record : m_Tracks.Records()) {
            if (record->checkState == AnalysedCorrupt) {
                corrupt.push_back(record);
            }
        }
        RunOn(job, corrupt);
        return;
    }
    RunOn(job, m_Tracks.Records());
}

void CSonvaraDoc::RunJobOnSelected(Job job, const std::vector<std::size_t>& indices) {
    std::vector<TrackRecord*> selected;  // a temporary list; the records stay the document's
    for (std::size_t i : indices) {
        if (i < m_Tracks.GetTrackCount()) {
            selected.push_back(&m_Tracks.At(i));
        }
    }
    RunOn(job, selected);
}

std::string CSonvaraDoc::AskReportFile() {
    if (reportFileAsker) {
        return reportFileAsker();
    }
    QFileDialog dialog(m_DialogParent, tr("Save Analysis Results"));
    dialog.setObjectName("SaveResultsDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(tr("Plain text file (*.txt)"));
    dialog.setDefaultSuffix("txt");
    if (!m_CurrentFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(m_CurrentFolder));
    }
    dialog.selectFile(tr("Analysis Results"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

std::string CSonvaraDoc::AskMoveFolder() {
    if (moveFolderAsker) {
        return moveFolderAsker();
    }
    // A folder picker: the corrupt files go into the chosen folder under their own names.
    QFileDialog dialog(m_DialogParent, tr("Move All Corrupt Files"));
    dialog.setObjectName("MoveCorruptDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, tr("&Move"));
    if (!m_CurrentFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(m_CurrentFolder));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

void CSonvaraDoc::SaveAnalysisResults() {
    StopPlayback();
    const std::string file = AskReportFile();
    if (file.empty()) {
        qCInfo(lcState, "report: not saved");
        return;
    }
    if (!IsReportFileName(file)) {
        QMessageBox::information(m_DialogParent, tr("Save Analysis Results"),
                                 tr("The analysis results are saved only as a plain text file "
                                    "(.txt); nothing was written."));
        qCInfo(lcState, "report: not saved");
        return;
    }
    std::string error;
    if (!m_Tracks.WriteReport(file, &error)) {
        QMessageBox::warning(m_DialogParent, tr("Save Analysis Results"),
                             QString::fromStdString(error.empty() ? file : error));
        qCInfo(lcState, "report: not saved");
        return;
    }
    qCInfo(lcState, "report: saved");
}

void CSonvaraDoc::MoveCorruptFiles() {
    StopPlayback();
    const std::string folder = AskMoveFolder();
    if (!folder.empty()) {
        // The move changes the list, so it runs here, on the list's thread; the run host
        // shows its questions and failures as boxes of their own.
        CMoveView view(m_DialogParent, m_Runs.Strings());
        CQtRunHost host(view, m_Runs.Strings());
        emit tracksAboutToChange();
        sonvara::MoveCorruptFiles(m_Tracks, folder, host);
    }
    UpdateViews();
    qCInfo(lcState, "move done: %d listed", GetTrackCount());
}

bool CSonvaraDoc::QueryCommand(int id, bool& enabled) {
    switch (id) {
        case cmd::kAnalyze: enabled = CanRun(Job::kAnalyze); return true;
        case cmd::kMp3ToWav: enabled = CanRun(Job::kMp3ToWav); return true;
        case cmd::kWavToMp3: enabled = CanRun(Job::kWavToMp3); return true;
        case cmd::kMp3ToMp3: enabled = CanRun(Job::kMp3ToMp3); return true;
        case cmd::kMeasureLoudness: enabled = CanRun(Job::kLoudness); return true;
        case cmd::kWriteReplayGain: enabled = CanRun(Job::kReplayGain); return true;
        case cmd::kSaveResults: enabled = GetTrackCount() > 0; return true;
        case cmd::kMoveCorrupt: enabled = HasCorruptTracks(); return true;
        case cmd::kRepair: enabled = CanRun(Job::kRepair); return true;
        default: return false;
    }
}

void CSonvaraDoc::ExecuteCommand(int id) {
    bool enabled = false;
    if (!QueryCommand(id, enabled) || !enabled) {
        return;
    }
    switch (id) {
        case cmd::kAnalyze: RunJob(Job::kAnalyze); break;
        case cmd::kMp3ToWav: RunJob(Job::kMp3ToWav); break;
        case cmd::kWavToMp3: RunJob(Job::kWavToMp3); break;
        case cmd::kMp3ToMp3: RunJob(Job::kMp3ToMp3); break;
        case cmd::kMeasureLoudness: RunJob(Job::kLoudness); break;
        case cmd::kWriteReplayGain: RunJob(Job::kReplayGain); break;
        case cmd::kSaveResults: SaveAnalysisResults(); break;
        case cmd::kMoveCorrupt: MoveCorruptFiles(); break;
        case cmd::kRepair: RunJob(Job::kRepair); break;
        default: break;
    }
}

}  // namespace sonvara
