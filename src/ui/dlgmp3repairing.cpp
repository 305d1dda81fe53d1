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

int CDlgMP3Repairing::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks() = tracks;
    StartWorker();
    return exec();
}

CRunDialog::Work CDlgMP3Repairing::MakeWork() {
    return [](IRunHost& host, const std::vector<TrackRecord*>& tracks) {
        RepairSettings settings;
        settings.replace = true;
        RunRepair(tracks, settings, host, 1);
    };
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
