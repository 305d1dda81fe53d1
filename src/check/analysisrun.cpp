#include "check/analysisrun.h"

#include "check/mp3checkjob.h"
#include "convert/runhost.h"
#include "tracks/tracklist.h"

namespace sonvara {

void RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host) {
    CMP3CheckJob job;
    host.ClearResults();
    for (TrackRecord* record : tracks) {
        if (record->checkState != NotAnalysed || !CTrackList::IsMp3Path(record->path)) {
            continue;
        }
        host.SetCurrentFile(record->path);
        if (host.IsAborted()) {
            job.Close();
            host.AddResult(kAbortedLine, kColourRed);
            break;
        }
        host.SetStage("Analyzing");
        job.SetPath(record->path);
        const bool intact = job.Run(&host);
        record->checkState = intact ? AnalysedOk : AnalysedCorrupt;
        const std::uint32_t colour = intact ? kColourDefault : kColourRed;
        host.AddResult(record->path, colour);
        host.AddResult(intact ? kOkLine : kCorruptLine, colour);
        host.ScrollToEnd();
        job.Close();
    }
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
}

}  // namespace sonvara
