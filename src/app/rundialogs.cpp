#include "app/rundialogs.h"

#include "playback/trackplayback.h"
#include "ui/audioelementsheet.h"
#include "ui/dlgloudness.h"
#include "ui/dlgmp3analyzing.h"
#include "ui/dlgmp3repairing.h"
#include "ui/dlgmp3tomp3converting.h"
#include "ui/dlgmp3towavconverting.h"
#include "ui/dlgwavtomp3converting.h"
#include "ui/mainframe.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistview.h"

namespace sonvara {

namespace {

// Runs one job's dialog over the tracks; its summary then stays in the frame's status bar.
template <class Dialog>
void RunJobDialog(CRunService& runs, CSettings& settings, CHelpContext& help, QWidget* parent,
                  const std::vector<TrackRecord*>& tracks) {
    Dialog dialog(runs, settings, help, parent);
    dialog.RunOnTracks(tracks);
    if (auto* frame = qobject_cast<CMainFrame*>(parent)) {
        frame->ShowRunSummary(dialog.Summary());
    }
}

}  // namespace

void InstallRunDialogs(CSonvaraDoc& doc, CSettings& settings, CHelpContext& help,
                       WaveOutDeviceFactory makeDevice, QWidget* parent) {
    doc.SetJobRunner([&doc, &settings, &help, parent](CSonvaraDoc::Job job,
                                                      const std::vector<TrackRecord*>& tracks) {
        switch (job) {
            case CSonvaraDoc::Job::kAnalyze:
                RunJobDialog<CDlgMP3Analyzing>(doc.Runs(), settings, help, parent, tracks);
                break;
            case CSonvaraDoc::Job::kMp3ToWav:
                RunJobDialog<CDlgMP3TOWAVConverting>(doc.Runs(), settings, help, parent, tracks);
                break;
            case CSonvaraDoc::Job::kWavToMp3:
                RunJobDialog<CDlgWAVTOMP3Converting>(doc.Runs(), settings, help, parent, tracks);
                break;
            case CSonvaraDoc::Job::kMp3ToMp3:
                RunJobDialog<CDlgMP3TOMP3Converting>(doc.Runs(), settings, help, parent, tracks);
                break;
            case CSonvaraDoc::Job::kRepair:
                RunJobDialog<CDlgMP3Repairing>(doc.Runs(), settings, help, parent, tracks);
                break;
            case CSonvaraDoc::Job::kLoudness:
            case CSonvaraDoc::Job::kReplayGain: {
                CDlgLoudness dialog(doc.Runs(), help, job == CSonvaraDoc::Job::kReplayGain,
                                    static_cast<int>(tracks.size()) < doc.GetTrackCount(), parent);
                dialog.RunOnTracks(tracks);
                if (auto* frame = qobject_cast<CMainFrame*>(parent)) {
                    frame->ShowRunSummary(dialog.Summary());
                }
                break;
            }
        }
    });
    doc.SetEditRunner([&doc, &help, parent, makeDevice](const std::vector<TrackRecord*>& records) {
        if (records.size() == 1) {
            CAudioElementSheet sheet(*records.front(), help, parent, makeDevice,
                                     doc.Runs().Strings());
            return sheet.exec() == QDialog::Accepted;  // the single form refreshes on OK only
        }
        CAudioElementSheet sheet(records, help, parent, makeDevice, doc.Runs().Strings());
        sheet.exec();
        return true;
    });
}

void InstallPlayback(CListSelectedTracksListView& view, CTrackPlayback& playback) {
    CListSelectedTracksListView::PlayerHooks hooks;
    hooks.play = [&playback](const std::string& path) { playback.Play(path); };
    hooks.pause = [&playback] { playback.Pause(); };
    hooks.stop = [&playback] { playback.StopPlaying(); };
    view.SetPlayerHooks(std::move(hooks));
}

}  // namespace sonvara
