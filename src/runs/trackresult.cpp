#include "runs/trackresult.h"

#include "jobs/runhost.h"
#include "jobs/strings.h"

namespace sonvara {

bool EndsRun(const TrackResult& r) {
    return r.status == TrackStatus::kStopped || r.status == TrackStatus::kNoSpace ||
           r.stoppedAfter || r.diskFull;
}

void ShowAborted(ResultShape shape, IRunHost& host) {
    const CStrings& strings = host.Strings();
    host.AddResult(strings.Text(StringId::kLineAborted),
                   shape == ResultShape::kEncode ? kColourDefault : kColourRed);
}

namespace {

// The line under a track's name for a track that was done.
std::string DoneText(const TrackResult& r, ResultShape shape, const CStrings& strings) {
    switch (shape) {
        case ResultShape::kEncode: return strings.Text(StringId::kLineOk, "");
        case ResultShape::kRepair:
            return r.verdict == Verdict::kCorrupt ? strings.Text(StringId::kLineRepaired, r.reason)
                                                  : strings.Text(StringId::kLineNothingToRepair);
        case ResultShape::kMeasure: return strings.Text(StringId::kLineLoudness, r.reason);
        case ResultShape::kCheck:
        case ResultShape::kDecode: break;
    }
    return strings.Text(r.verdict == Verdict::kCorrupt ? StringId::kLineCorrupt : StringId::kLineOk,
                        r.reason);
}

// The line under a track's name for a track that was not done.
std::string NotDoneText(const TrackResult& r, ResultShape shape, const CStrings& strings) {
    switch (r.status) {
        case TrackStatus::kNotChecked:
            return strings.Text(shape == ResultShape::kMeasure ? StringId::kLineNotMeasured
                                                               : StringId::kLineUnreadable,
                                r.reason);
        case TrackStatus::kCorruptKept: return strings.Text(StringId::kLineCorrupt, "");
        default: break;
    }
    return strings.Text(
        shape == ResultShape::kRepair ? StringId::kLineNotRepaired : StringId::kLineFailed,
        r.reason);
}

}  // namespace

void ShowResult(const TrackResult& r, ResultShape shape, IRunHost& host) {
    const CStrings& strings = host.Strings();
    if (r.status == TrackStatus::kSkipped) {
        return;
    }
    // An encoding names its output once its work began, in the list's colour; every other result
    // names the source, red when the track was not done or its source was found corrupt.
    const bool namesOutput = shape == ResultShape::kEncode &&
                             (r.status == TrackStatus::kDone || r.status == TrackStatus::kFailed ||
                              r.status == TrackStatus::kStopped);
    const bool done = r.status == TrackStatus::kDone;
    const bool red = !done || ((shape == ResultShape::kCheck || shape == ResultShape::kDecode) &&
                               r.verdict == Verdict::kCorrupt);
    if (r.status == TrackStatus::kStopped) {
        // A verdict of half a file is no verdict: no line of the track's own, the stop only.
        if (namesOutput) {
            host.AddResult(r.output, kColourDefault);
        }
        ShowAborted(shape, host);
        return;
    }
    if (r.status == TrackStatus::kNotChecked) {
        host.ReportError(r.path, r.reason);
    }
    host.AddResult(namesOutput ? r.output : r.path,
                   namesOutput || !red ? kColourDefault : kColourRed);
    if (done) {
        host.AddResult(DoneText(r, shape, strings), red ? kColourRed : kColourDefault);
        if (r.stoppedAfter) {
            ShowAborted(shape, host);
        }
    } else {
        if (namesOutput && r.verdict == Verdict::kCorrupt) {
            // The source could not be read or encoded: the corrupt verdict, then the reason.
            host.AddResult(strings.Text(StringId::kLineCorrupt, ""), kColourRed);
        }
        host.AddResult(NotDoneText(r, shape, strings), kColourRed);
    }
    host.ScrollToEnd();
}

}  // namespace sonvara
