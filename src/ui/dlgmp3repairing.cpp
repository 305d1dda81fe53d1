#include "ui/dlgmp3repairing.h"

#include "runs/repairrun.h"
#include "ui/dialogunits.h"

namespace sonvara {

CDlgMP3Repairing::CDlgMP3Repairing(CRunService& runs, CSettings&, CHelpContext& help,
                                   QWidget* parent)
    : CRunDialog(runs, &help, kHelpAnalysis, tr("Repair Corrupt Files"), parent) {
    setObjectName(QStringLiteral("repairDialog"));
    resize(DialogUnits(this, 316, 162));
}

CDlgMP3Repairing::~CDlgMP3Repairing() {
    StopWorker();
}

int CDlgMP3Repairing::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks() = tracks;
    StartWorker();
    return exec();
}

void CDlgMP3Repairing::Work() {
    RepairSettings settings;
    settings.replace = true;
    RunRepair(Tracks(), settings, Host(), 1);
}

void CDlgMP3Repairing::WorkerFinished(bool) {
    done(QDialog::Rejected);
}

QString CDlgMP3Repairing::Summary() const {
    const auto repaired = static_cast<int>(Updates().size());
    QString text = tr("%1 repaired, the originals kept as .bak files").arg(repaired);
    if (StopRequested()) {
        text += tr(" (stopped)");
    }
    return text;
}

}  // namespace sonvara
