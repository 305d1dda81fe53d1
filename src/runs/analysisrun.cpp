#include "runs/analysisrun.h"

#include "check/mp3checkjob.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/runinorder.h"
#include "tracks/tracklist.h"

namespace sonvara {

CheckVerdict CheckMp3File(const std::string& path, IProgressSink* sink) {
    CMP3CheckJob job;
    job.SetPath(path);
    job.Run(sink);
    const bool intact = job.IsIntact();
    job.Close();
    const MP3CheckOutcome& outcome = job.GetOutcome();
    const auto error = [](std::string reason) {
        CheckVerdict verdict;
        verdict.reason = std::move(reason);
        return verdict;
    };
    if (outcome.openFailed) {
        return error("cannot open: " + outcome.failureText);
    }
    if (outcome.readFailed) {
        return error("read error: " + outcome.failureText);
    }
    if (outcome.framesFound == 0) {
        return error("no MPEG audio frames");
    }
    CheckVerdict verdict;
    verdict.kind = intact ? CheckVerdict::kOk : CheckVerdict::kCorrupt;
    verdict.frames = outcome.audioFrames;
    verdict.lengthMs = outcome.lengthMs;
    verdict.findings = outcome.findings;
    verdict.findingsLeftOut = outcome.findingsLeftOut;
    return verdict;
}

namespace {

// A worker's view of the host: the stop request only.
class CStopOnlySink : public IProgressSink {
public:
    explicit CStopOnlySink(IRunHost& host) : m_Host(host) {}
    bool IsAborted() override { return m_Host.IsAborted(); }
    void SetProgress(int) override {}

private:
    IRunHost& m_Host;
};

void Deliver(const std::vector<TrackRecord*>& tracks, std::size_t index,
             const CheckVerdict& verdict, IRunHost& host) {
    const TrackRecord& record = *tracks[index];
    if (verdict.kind == CheckVerdict::kError) {
        host.ReportError(record.path, verdict.reason);
        host.AddResult(record.path, kColourRed);
        host.AddResult(Text(StringId::kLineUnreadable, verdict.reason), kColourRed);
    } else {
        const bool intact = verdict.kind == CheckVerdict::kOk;
        host.UpdateTrack({index, intact ? AnalysedOk : AnalysedCorrupt, record.convertState});
        const std::uint32_t colour = intact ? kColourDefault : kColourRed;
        host.AddResult(record.path, colour);
        host.AddResult(Text(intact ? StringId::kLineOk : StringId::kLineCorrupt, ""), colour);
    }
    host.ScrollToEnd();
}

}  // namespace

void RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host, unsigned threads,
                 const CheckedFn& onChecked) {
    host.ClearResults();
    std::vector<std::size_t> taken;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i]->checkState == NotAnalysed && CTrackList::IsMp3Path(tracks[i]->path)) {
            taken.push_back(i);
        }
    }
    if (threads <= 1) {
        for (const std::size_t index : taken) {
            host.SetCurrentFile(tracks[index]->path);
            if (host.IsAborted()) {
                host.AddResult(Text(StringId::kLineAborted), kColourRed);
                break;
            }
            host.SetStage(Text(StringId::kStageAnalyzing));
            const CheckVerdict verdict = CheckMp3File(tracks[index]->path, &host);
            if (onChecked) {
                onChecked(index, verdict);
            }
            Deliver(tracks, index, verdict, host);
        }
    } else {
        host.SetStage(Text(StringId::kStageAnalyzing));
        CStopOnlySink stopOnly(host);
        const std::size_t delivered = RunTracksInOrder<CheckVerdict>(
            taken.size(), threads,
            [&](std::size_t i) { return CheckMp3File(tracks[taken[i]]->path, &stopOnly); },
            [&](std::size_t i, CheckVerdict& verdict) {
                host.SetCurrentFile(tracks[taken[i]]->path);
                if (onChecked) {
                    onChecked(taken[i], verdict);
                }
                Deliver(tracks, taken[i], verdict, host);
                host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            },
            nullptr, [&] { return host.IsAborted(); });
        if (delivered < taken.size()) {
            host.AddResult(Text(StringId::kLineAborted), kColourRed);
        }
    }
    host.SetStage("");
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
}

}  // namespace sonvara
