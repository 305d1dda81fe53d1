#include "ui/dlgmp3analyzing.h"

#include "runs/analysisrun.h"
#include "ui/dialogunits.h"

namespace sonvara {

CDlgMP3Analyzing::CDlgMP3Analyzing(CSettings&, QWidget* parent)
    : CRunDialog(kHelpAnalysis, tr("Analyze MP3 Files"), parent) {
    setObjectName(QStringLiteral("analyzeDialog"));
    resize(DialogUnits(this, 316, 162));
}

CDlgMP3Analyzing::~CDlgMP3Analyzing() {
    StopWorker();
}

int CDlgMP3Analyzing::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks() = tracks;
    StartWorker();
    return exec();
}

void CDlgMP3Analyzing::Work() {
    RunAnalysis(Tracks(), Host(), 1);
}

void CDlgMP3Analyzing::WorkerFinished(bool) {
    done(QDialog::Rejected);
}

}  // namespace sonvara
