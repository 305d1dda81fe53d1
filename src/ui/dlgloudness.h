#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "tracks/trackrecord.h"
#include "ui/rundialog.h"

namespace sonvara {

class CSettings;

// "Measure Loudness" and "Write ReplayGain Tags": measures every track given (EBU R 128) on its
// worker, shows the values as result lines and in the list's Loudness column; the tag kind
// then writes ReplayGain tags into the MP3 files, with album values for the tracks given when
// only a selection was given, else for the tracks of one folder with the same album tag.
// Starts at once and closes itself when the walk ends.
class CDlgLoudness : public CRunDialog {
    Q_OBJECT
public:
    CDlgLoudness(CRunService& runs, CHelpContext& help, bool writeTags, bool selection,
                 QWidget* parent = nullptr);

    int RunOnTracks(const std::vector<TrackRecord*>& tracks);
    QString Summary() const override;

protected:
    Work MakeWork() override;
    void WorkerFinished(bool ended) override;

private:
    bool m_WriteTags;
    bool m_Selection;
    int m_Count = 0;  // the tracks the run was given
    struct Tally {    // written by the run
        std::atomic<int> tagged{0};
        std::atomic<int> failures{0};
    };
    std::shared_ptr<Tally> m_Tally = std::make_shared<Tally>();
};

}  // namespace sonvara
