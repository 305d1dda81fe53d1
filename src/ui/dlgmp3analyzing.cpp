#include "ui/dlgmp3analyzing.h"

#include "runs/analysisrun.h"
#include "tracks/settings.h"
#include "ui/dialogunits.h"

namespace sonvara {

CDlgMP3Analyzing::CDlgMP3Analyzing(CRunService& runs, CSettings& settings, CHelpContext& help,
                                   QWidget* parent)
    : CRunDialog(runs, &help, kHelpAnalysis, tr("Analyze MP3 Files"), parent),
      m_Decode(settings.GetDecodeCheck()) {
    setObjectName(QStringLiteral("analyzeDialog"));
    resize(DialogUnits(this, 316, 162));
}

int CDlgMP3Analyzing::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks() = tracks;
    StartWorker();
    return exec();
}

CRunDialog::Work CDlgMP3Analyzing::MakeWork() {
    return [decode = m_Decode](IRunHost& host, const std::vector<TrackRecord*>& tracks) {
        RunAnalysis(tracks, host, 1, {}, decode);
    };
}

void CDlgMP3Analyzing::WorkerFinished(bool) {
    done(QDialog::Rejected);
}

QString CDlgMP3Analyzing::Summary() const {
    int ok = 0;
    int corrupt = 0;
    for (const auto& [index, update] : Updates()) {
        ok += update.checkState == AnalysedOk ? 1 : 0;
        corrupt += update.checkState == AnalysedCorrupt ? 1 : 0;
    }
    if (ok + corrupt == 0) {
        return StopRequested() ? tr("Analysis stopped: nothing analysed") : QString();
    }
    QString text = tr("%1 analysed: %2 OK, %3 corrupt").arg(ok + corrupt).arg(ok).arg(corrupt);
    if (StopRequested()) {
        text += tr(" (stopped)");
    }
    return text;
}

}  // namespace sonvara
