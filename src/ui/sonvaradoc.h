#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "tracks/tracklist.h"
#include "ui/commandtarget.h"
#include "ui/documentasker.h"

class QWidget;

namespace sonvara {

class CRunService;
class CSettings;

// The window's single document: the working list, the folder chosen in the folder tree, and
// the commands over the whole list (the four jobs, saving the analysis results, moving the
// corrupt files). It never loads or saves itself. The views follow it through its signals:
// `tracksChanged` is the refresh of every view but the track-file list. Work off the UI thread
// goes to the run service it is given, which the views reach through it.
//
// While one of its dialogs is open (a run dialog, reading the files of an add, the properties,
// the report's file dialog, the move), an add that arrives (a drop, a folder's files, the files
// named at start-up) is held: the list a run walks does not change under it. The held adds are
// applied in order once the dialog has closed.
class CSonvaraDoc : public QObject, public ICommandTarget {
    Q_OBJECT
public:
    enum class Job { kAnalyze, kMp3ToWav, kWavToMp3, kMp3ToMp3, kRepair, kLoudness, kReplayGain };

    // Runs one job's modal dialog over the records (the frame supplies the run dialogs).
    using JobRunner = std::function<void(Job job, const std::vector<TrackRecord*>& tracks)>;
    // Opens the properties sheet; true when the views should be refreshed.
    using EditRunner = std::function<bool(const std::vector<TrackRecord*>& tracks)>;
    // Reads the new files of an add (default: the "Read Files Information" dialog).
    using ReadRunner =
        std::function<std::vector<ReadTrack>(const std::vector<std::string>& paths, bool tags)>;
    // The asker puts the document's questions and messages to the user (file dialogs and
    // boxes in the window, a script in tests); it outlives the document.
    CSonvaraDoc(CSettings& settings, CRunService& runs, IDocumentAsker& asker,
                QObject* parent = nullptr);
    ~CSonvaraDoc() override;

    CTrackList& Tracks() { return m_Tracks; }
    const CTrackList& Tracks() const { return m_Tracks; }
    int GetTrackCount() const { return static_cast<int>(m_Tracks.GetTrackCount()); }
    int GetMp3Count() const { return m_Tracks.GetMp3Count(); }
    int GetWavCount() const { return m_Tracks.GetWavCount(); }
    std::string GetCurrentFolder() const { return m_CurrentFolder; }
    bool ContainsPath(const std::string& path) const { return m_Tracks.ContainsPath(path); }
    static bool IsMp3Path(const std::string& path) { return CTrackList::IsMp3Path(path); }
    bool HasCorruptTracks() const;
    CSettings& Settings() { return m_Settings; }
    CRunService& Runs() { return m_Runs; }

    void SetCurrentFolder(const std::string& folder);
    // Reads the new ones of the paths and appends them; held while a dialog is open.
    void AddTracks(const std::vector<std::string>& paths);
    void RemoveTracksAt(const std::vector<std::size_t>& ascending);
    void ReorderByPaths(const std::vector<std::string>& paths);
    // The order of a view that holds the records (no refresh, no recount).
    void ReorderByRecords(const std::vector<const TrackRecord*>& order);
    void EditTracks(const std::vector<std::size_t>& indices);
    bool CanEdit() const { return static_cast<bool>(m_EditRunner); }
    // The refresh of every view but the track-file list.
    void UpdateViews();

    bool CanRun(Job job) const;
    bool HasJobRunner() const { return static_cast<bool>(m_JobRunner); }
    void RunJob(Job job);
    void RunJobOnSelected(Job job, const std::vector<std::size_t>& indices);
    void SaveAnalysisResults();
    void MoveCorruptFiles();

    void SetDialogParent(QWidget* parent) { m_DialogParent = parent; }
    QWidget* DialogParent() const { return m_DialogParent; }
    void SetJobRunner(JobRunner runner) { m_JobRunner = std::move(runner); }
    void SetEditRunner(EditRunner runner) { m_EditRunner = std::move(runner); }
    void SetReadRunner(ReadRunner runner) { m_ReadRunner = std::move(runner); }
    void SetStopPlayback(std::function<void()> stop) { m_StopPlayback = std::move(stop); }

    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

signals:
    void tracksAboutToChange();
    void tracksChanged();
    // These records changed in place (a run's verdicts, edited tags); sent before
    // tracksChanged.
    void recordsChanged(const std::vector<const TrackRecord*>& records);
    void currentFolderChanged(const QString& folder);

private:
    void StopPlayback();
    void RunOn(Job job, const std::vector<TrackRecord*>& tracks);
    void SaveReport();
    std::vector<ReadTrack> ReadWithDialog(const std::vector<std::string>& paths, bool tags);
    // Runs a step that opens a dialog: adds that arrive meanwhile are held.
    template <class Step>
    auto WithDialog(Step&& step);
    // Applies the held adds, in order, once no dialog is open.
    void ApplyHeldAdds();

    CSettings& m_Settings;
    CRunService& m_Runs;
    IDocumentAsker& m_Asker;
    CTrackList m_Tracks;
    std::string m_CurrentFolder;
    QWidget* m_DialogParent = nullptr;
    JobRunner m_JobRunner;
    EditRunner m_EditRunner;
    ReadRunner m_ReadRunner;
    std::function<void()> m_StopPlayback;
    int m_DialogDepth = 0;
    bool m_ApplyingHeld = false;
    std::vector<std::vector<std::string>> m_HeldAdds;
};

}  // namespace sonvara
