#include "ui/dlgloudness.h"

#include <cmath>

#include "runs/loudnessrun.h"
#include "tracks/tracklist.h"
#include "ui/dialogunits.h"
#include "ui/helpcontext.h"

namespace sonvara {

CDlgLoudness::CDlgLoudness(CRunService& runs, CHelpContext& help, bool writeTags, bool selection,
                           QWidget* parent)
    : CRunDialog(runs, &help, kHelpLoudness,
                 writeTags ? tr("Write ReplayGain Tags") : tr("Measure Loudness"), parent),
      m_WriteTags(writeTags),
      m_Selection(selection) {
    setObjectName(writeTags ? QStringLiteral("replayGainDialog")
                            : QStringLiteral("loudnessDialog"));
    resize(DialogUnits(this, 316, 162));
}

int CDlgLoudness::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks().clear();
    for (TrackRecord* record : tracks) {
        // Tags go into MP3 files only; measuring takes WAV files too.
        if (!m_WriteTags || CTrackList::IsMp3Path(record->path)) {
            Tracks().push_back(record);
        }
    }
    m_Count = static_cast<int>(Tracks().size());
    StartWorker();
    return exec();
}

CRunDialog::Work CDlgLoudness::MakeWork() {
    LoudnessRunOptions options;
    options.album = m_WriteTags;
    options.oneAlbum = m_Selection;
    options.writeTags = m_WriteTags;
    options.threads = 2;
    return [options, tally = m_Tally](IRunHost& host, const std::vector<TrackRecord*>& tracks) {
        const LoudnessRunResult result = RunLoudness(tracks, host, options);
        for (std::size_t i = 0; i < result.tagResults.size(); ++i) {
            if (result.tracks[i].ok) {
                (result.tagResults[i].empty() ? tally->tagged : tally->failures)++;
            }
        }
    };
}

void CDlgLoudness::WorkerFinished(bool) {
    done(QDialog::Rejected);
}

QString CDlgLoudness::Summary() const {
    int measured = 0;
    for (const auto& [index, update] : Updates()) {
        measured += std::isnan(update.loudness) ? 0 : 1;
    }
    const int failed = m_Count - measured;
    QString text;
    if (m_WriteTags) {
        text = tr("%1 tagged, %2 not tagged")
                   .arg(m_Tally->tagged.load())
                   .arg(m_Count - m_Tally->tagged.load());
    } else {
        text = tr("%1 measured, %2 not measured").arg(measured).arg(failed);
    }
    if (StopRequested()) {
        text += tr(" (stopped)");
    }
    return text;
}

}  // namespace sonvara
