#pragma once

#include <vector>

#include "tracks/trackrecord.h"
#include "ui/rundialog.h"

namespace sonvara {

class CSettings;

// "Repair Corrupt Files": repairs the MP3 tracks it is given in their place, on its worker,
// keeping each original beside it as NAME.bak; a repaired track's record becomes OK. Starts at
// once and closes itself when the run ends.
class CDlgMP3Repairing : public CRunDialog {
    Q_OBJECT
public:
    CDlgMP3Repairing(CRunService& runs, CSettings& settings, CHelpContext& help,
                     QWidget* parent = nullptr);

    // Runs the dialog modally over the records; returns when it has closed.
    int RunOnTracks(const std::vector<TrackRecord*>& tracks);

    QString Summary() const override;

protected:
    Work MakeWork() override;
    void WorkerFinished(bool ended) override;
};

}  // namespace sonvara
