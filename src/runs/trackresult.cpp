#include "runs/trackresult.h"

#include "jobs/runhost.h"
#include "jobs/strings.h"

namespace sonvara {

bool EndsRun(const TrackResult& r) {
    return r.status == TrackStatus::kStopped || r.status == TrackStatus::kNoSpace ||
           r.stoppedAfter || r.diskFull;
}

void ShowAborted(ResultShape shape, IRunHost& host) {
    host.AddResult(Text(StringId::kLineAborted),
                   shape == ResultShape::kEncode ? kColourDefault : kColourRed);
}

void ShowResult(const TrackResult& r, ResultShape shape, IRunHost& host) {
    const bool encoding = shape == ResultShape::kEncode;
    const auto failed = [&](const std::string& head, std::uint32_t headColour) {
        host.AddResult(head, headColour);
        host.AddResult(Text(StringId::kLineFailed, r.reason), kColourRed);
    };
    switch (r.status) {
        case TrackStatus::kSkipped: return;
        case TrackStatus::kDone: {
            if (encoding) {
                // The source was read to its end; the output's line says so, in the list's colour.
                host.AddResult(r.output, kColourDefault);
                host.AddResult(Text(StringId::kLineOk, ""), kColourDefault);
                break;
            }
            const bool intact = r.verdict != Verdict::kCorrupt;
            const std::uint32_t colour = intact ? kColourDefault : kColourRed;
            host.AddResult(r.path, colour);
            host.AddResult(Text(intact ? StringId::kLineOk : StringId::kLineCorrupt, r.reason),
                           colour);
            if (r.stoppedAfter) {
                ShowAborted(shape, host);
            }
            break;
        }
        case TrackStatus::kNotChecked:
            host.ReportError(r.path, r.reason);
            host.AddResult(r.path, kColourRed);
            host.AddResult(Text(StringId::kLineUnreadable, r.reason), kColourRed);
            break;
        case TrackStatus::kCorruptKept:
            host.AddResult(r.path, kColourRed);
            host.AddResult(Text(StringId::kLineCorrupt, ""), kColourRed);
            break;
        case TrackStatus::kFailed:
            if (!encoding) {
                failed(r.path, kColourRed);
                break;
            }
            host.AddResult(r.output, kColourDefault);
            if (r.verdict == Verdict::kCorrupt) {
                // The source could not be read or encoded: the corrupt verdict, with the reason.
                host.AddResult(Text(StringId::kLineCorrupt, ""), kColourRed);
            }
            host.AddResult(Text(StringId::kLineFailed, r.reason), kColourRed);
            break;
        case TrackStatus::kNoSpace:
        case TrackStatus::kCollision: failed(r.path, kColourRed); break;
        case TrackStatus::kStopped:
            // A verdict of half a file is no verdict: no line for the track, the stop only.
            if (encoding) {
                host.AddResult(r.output, kColourDefault);
            }
            ShowAborted(shape, host);
            return;
    }
    host.ScrollToEnd();
}

}  // namespace sonvara
