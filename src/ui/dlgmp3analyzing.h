#pragma once

#include <vector>

#include "tracks/trackrecord.h"
#include "ui/rundialog.h"

namespace sonvara {

class CSettings;

// "Analyze MP3 Files": checks every MP3 track of the list not analysed yet, frame by frame,
// on its worker; starts at once and closes itself when the walk ends.
class CDlgMP3Analyzing : public CRunDialog {
    Q_OBJECT
public:
    CDlgMP3Analyzing(CRunService& runs, CSettings& settings, CHelpContext& help,
                     QWidget* parent = nullptr);

    // Runs the dialog modally over the records; returns when it has closed.
    int RunOnTracks(const std::vector<TrackRecord*>& tracks);

    QString Summary() const override;

protected:
    Work MakeWork() override;
    void WorkerFinished(bool ended) override;

private:
    const bool m_Decode;  // the options sheet's "Decode every frame", read at the start
};

}  // namespace sonvara
