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
    const CStrings& strings = StringsOf(sink);
    CMP3CheckJob job;
    job.SetPath(path);
    const bool stopped = job.Run(sink);
    const bool intact = job.IsIntact();
    job.Close();
    const MP3CheckOutcome& outcome = job.GetOutcome();
    const auto error = [stopped](std::string reason) {
        CheckVerdict verdict;
        verdict.reason = std::move(reason);
        verdict.stopped = stopped;
        return verdict;
    };
    if (outcome.openFailed) {
        return error(strings.Text(StringId::kReasonCannotOpen, outcome.failureText));
    }
    if (outcome.readFailed) {
        return error(strings.Text(StringId::kReasonReadError, outcome.failureText));
    }
    if (outcome.framesFound == 0) {
        return error(strings.Text(StringId::kReasonNoFrames));
    }
    CheckVerdict verdict;
    verdict.stopped = stopped;
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
            f.text = strings.Text(StringId::kFindingAudioDamaged, FormatTimeMs(problem.timeMs),
                                  problem.text);
            verdict.findings.push_back(std::move(f));
            verdict.kind = CheckVerdict::kCorrupt;
        }
        std::stable_sort(verdict.findings.begin(), verdict.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    }
    return verdict;
}

TrackResult CheckResult(std::size_t index, const std::string& path, const CheckVerdict& verdict) {
    TrackResult result;
    result.index = index;
    result.path = path;
    if (verdict.kind == CheckVerdict::kError) {
        result.status = TrackStatus::kNotChecked;
        result.reason = verdict.reason;
    } else {
        result.verdict = verdict.kind == CheckVerdict::kOk ? Verdict::kOk : Verdict::kCorrupt;
    }
    return result;
}

std::vector<TrackResult> RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host,
                                     unsigned threads, const CheckedFn& onChecked, bool decode) {
    const CStrings& strings = host.Strings();
    std::vector<TrackResult> results;
    const auto deliver = [&](std::size_t index, const CheckVerdict& verdict) {
        const TrackRecord& record = *tracks[index];
        if (onChecked) {
            onChecked(index, verdict);
        }
        results.push_back(CheckResult(index, record.path, verdict));
        if (results.back().status == TrackStatus::kDone) {
            host.UpdateTrack({index,
                              results.back().verdict == Verdict::kOk ? AnalysedOk : AnalysedCorrupt,
                              record.convertState});
        }
        ShowResult(results.back(), ResultShape::kCheck, host);
    };
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
                ShowAborted(ResultShape::kCheck, host);
                break;
            }
            host.SetStage(strings.Text(StringId::kStageAnalyzing));
            deliver(index, CheckMp3File(tracks[index]->path, &host, decode));
        }
    } else {
        host.SetStage(strings.Text(StringId::kStageAnalyzing));
        CStopOnlySink stopOnly(host);
        const std::size_t delivered = RunTracksInOrder<CheckVerdict>(
            taken.size(), threads,
            [&](std::size_t i) { return CheckMp3File(tracks[taken[i]]->path, &stopOnly, decode); },
            [&](std::size_t i, CheckVerdict& verdict) {
                host.SetCurrentFile(tracks[taken[i]]->path);
                deliver(taken[i], verdict);
                host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            },
            nullptr, [&] { return host.IsAborted(); });
        if (delivered < taken.size()) {
            ShowAborted(ResultShape::kCheck, host);
        }
    }
    host.SetStage("");
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
    return results;
}

}  // namespace sonvara
