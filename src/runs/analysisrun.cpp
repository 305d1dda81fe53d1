#include "runs/analysisrun.h"

#include <algorithm>

#include "audio/mpegdecoder.h"
#include "check/mp3checkjob.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/runinorder.h"
#include "runs/runhelpers.h"
#include "tracks/tracklist.h"

namespace sonvara {

CheckVerdict CheckMp3File(const std::string& path, IProgressSink* sink, bool decode) {
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
    if (decode) {
        const MpegDecodeCheck decoded = VerifyMpegDecode(path);
        if (!decoded.error.empty()) {
            return error(decoded.error);
        }
        for (const MpegDecodeProblem& problem : decoded.problems) {
            Finding f;
            f.kind = FindingKind::kDecodeError;
            f.severity = FindingSeverity::kError;
            f.offset = problem.offset;
            f.frame = problem.frame;
            f.timeMs = problem.timeMs;
            f.bytes = problem.bytes;
            f.text = "audio data damaged at " + FormatTimeMs(problem.timeMs) + ": " + problem.text;
            verdict.findings.push_back(std::move(f));
            verdict.kind = CheckVerdict::kCorrupt;
        }
        std::stable_sort(verdict.findings.begin(), verdict.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    }
    return verdict;
}

namespace {

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
                 const CheckedFn& onChecked, bool decode) {
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
            const CheckVerdict verdict = CheckMp3File(tracks[index]->path, &host, decode);
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
            [&](std::size_t i) { return CheckMp3File(tracks[taken[i]]->path, &stopOnly, decode); },
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
