#include "ui/sonvaradoc.h"

#include <utility>

#include "platform/paths.h"
#include "runs/movecorrupt.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/dlgreadfilesinfo.h"
#include "ui/pathtext.h"
#include "ui/statelog.h"

namespace sonvara {

namespace {

// The move of the corrupt files runs here, on the list's thread: its questions and failures go
// to the asker. A file kept by the user's own answer needs no word afterwards.
class CMoveHost : public CQuietRunHost {
public:
    CMoveHost(IDocumentAsker& asker, const CStrings& strings)
        : m_Asker(asker), m_Strings(strings) {}
    const CStrings& Strings() const override { return m_Strings; }
    Answer AskOverwrite(const std::string& question) override {
        const Answer answer = m_Asker.MoveOverwrite(question);
        m_KeptByAnswer = answer != Answer::kYes;
        return answer;
    }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        m_Asker.MoveMessage(text, icon);
    }
    void ReportError(const std::string& path, const std::string& reason) override {
        if (!std::exchange(m_KeptByAnswer, false)) {
            m_Asker.MoveFailed(path, reason);
        }
    }

private:
    IDocumentAsker& m_Asker;
    bool m_KeptByAnswer = false;
    const CStrings& m_Strings;
};

}  // namespace

CSonvaraDoc::CSonvaraDoc(CSettings& settings, CRunService& runs, IDocumentAsker& asker,
                         QObject* parent)
    : QObject(parent),
      m_Settings(settings),
      m_Runs(runs),
      m_Asker(asker),
      m_Tracks(runs.Strings()) {
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

template <class Step>
auto CSonvaraDoc::WithDialog(Step&& step) {
    struct Depth {
        explicit Depth(int& depth) : m_Depth(++depth) {}
        ~Depth() { --m_Depth; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        int& m_Depth;
    } depth(m_DialogDepth);
    return step();
}

void CSonvaraDoc::ApplyHeldAdds() {
    if (m_DialogDepth > 0 || m_ApplyingHeld) {
        return;  // the outer dialog's end, or the loop below, applies them
    }
    m_ApplyingHeld = true;
    while (!m_HeldAdds.empty()) {
        const std::vector<std::string> paths = std::move(m_HeldAdds.front());
        m_HeldAdds.erase(m_HeldAdds.begin());
        AddTracks(paths);
    }
    m_ApplyingHeld = false;
}

std::vector<ReadTrack> CSonvaraDoc::ReadWithDialog(const std::vector<std::string>& paths,
                                                   bool tags) {
    CDlgReadFilesInfo dialog(m_Runs, paths, tags, m_DialogParent);
    dialog.exec();
    return dialog.TakeResults();
}

void CSonvaraDoc::AddTracks(const std::vector<std::string>& paths) {
    if (m_DialogDepth > 0) {
        m_HeldAdds.push_back(paths);
        return;
    }
    StopPlayback();
    std::vector<std::string> fresh = m_Tracks.NewPaths(paths);
    if (fresh.empty()) {
        UpdateViews();
        qCInfo(lcState, "tracks added: 0; listed %d", GetTrackCount());
        return;
    }
    const bool tags = m_Settings.GetID3Check();
    std::vector<ReadTrack> read = WithDialog(
        [&] { return m_ReadRunner ? m_ReadRunner(fresh, tags) : ReadWithDialog(fresh, tags); });
    emit tracksAboutToChange();
    const std::size_t before = m_Tracks.GetTrackCount();
    m_Tracks.AppendRead(std::move(read), tags);
    UpdateViews();
    qCInfo(lcState, "tracks added: %d; listed %d",
           static_cast<int>(m_Tracks.GetTrackCount() - before), GetTrackCount());
    ApplyHeldAdds();
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
    const bool changed = WithDialog([&] { return m_EditRunner(records); });
    if (changed || records.size() > 1) {
        emit recordsChanged({records.begin(), records.end()});
        UpdateViews();
    }
    qCInfo(lcState, "properties closed: %s", changed ? "changed" : "unchanged");
    ApplyHeldAdds();
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
        WithDialog([&] { m_JobRunner(job, tracks); });
        m_Tracks.RecountTypes();  // the run's host changed the records in place
        emit recordsChanged({tracks.begin(), tracks.end()});
    }
    UpdateViews();
    static const char* const kNames[] = {"analyze", "mp3-to-wav", "wav-to-mp3", "mp3-to-mp3",
                                         "repair",  "loudness",   "replaygain"};
    qCInfo(lcState, "job done: %s; %d tracks", kNames[static_cast<int>(job)],
           static_cast<int>(tracks.size()));
    ApplyHeldAdds();
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

void CSonvaraDoc::SaveAnalysisResults() {
    StopPlayback();
    WithDialog([this] { SaveReport(); });
    ApplyHeldAdds();
}

void CSonvaraDoc::SaveReport() {
    const std::string file = m_Asker.ReportFile(m_CurrentFolder);
    if (file.empty()) {
        qCInfo(lcState, "report: not saved");
        return;
    }
    if (!IsReportFileName(file)) {
        m_Asker.ReportNotPlainText();
        qCInfo(lcState, "report: not saved");
        return;
    }
    std::string error;
    if (!m_Tracks.WriteReport(file, &error)) {
        m_Asker.ReportNotSaved(error.empty() ? file : error);
        qCInfo(lcState, "report: not saved");
        return;
    }
    qCInfo(lcState, "report: saved");
}

void CSonvaraDoc::MoveCorruptFiles() {
    StopPlayback();
    WithDialog([this] {
        const std::string folder = m_Asker.MoveDestination(m_CurrentFolder);
        if (!folder.empty()) {
            // The move changes the list, so it runs here, on the list's thread.
            CMoveHost host(m_Asker, m_Runs.Strings());
            emit tracksAboutToChange();
            sonvara::MoveCorruptFiles(m_Tracks, folder, host);
        }
    });
    UpdateViews();
    qCInfo(lcState, "move done: %d listed", GetTrackCount());
    ApplyHeldAdds();
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
