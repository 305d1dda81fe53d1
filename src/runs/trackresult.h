#pragma once

#include <cstddef>
#include <string>

namespace sonvara {

class IRunHost;

// How one track of a run ended.
enum class TrackStatus {
    kDone,         // checked, or converted; the verdict says how the source was found
    kNotChecked,   // the source could not be read or checked (it is not corrupt): the reason
    kCorruptKept,  // corrupt, and corrupt files are not converted
    kFailed,       // not converted (not repaired): the reason
    kNoSpace,      // not converted for want of disk space (the run ends)
    kCollision,    // not converted: an earlier track of the run has the same output (the reason)
    kSkipped,      // the output exists and is kept, or is the source itself (no result lines)
    kStopped,      // a stop request cut the track short: it keeps its states
};

// What the check of the source found; kNone where it was not checked.
enum class Verdict { kNone, kOk, kCorrupt };

// One track's result. A run returns one for each track it took, in list order.
struct TrackResult {
    std::size_t index = 0;  // into the list handed to the run
    TrackStatus status = TrackStatus::kDone;
    Verdict verdict = Verdict::kNone;
    std::string path;    // the source
    std::string output;  // a conversion's output ("" for a check)
    // kNotChecked, kFailed, kNoSpace, kCollision: why. kDone: a note for the result line (the
    // loudness an MP3 -> WAV conversion reached, what a repair did, the loudness measured).
    std::string reason;
    bool stoppedAfter = false;  // done, and a stop request came meanwhile: the run ends here
    bool diskFull = false;      // failed writing to a full disk: the run ends here
};

// A stop, a full disk or too little free space ends a run after this track.
bool EndsRun(const TrackResult& result);

// Whose result lines: an analysis, an MP3 -> WAV conversion (the source's check comes first), an
// encoding (WAV -> MP3, MP3 -> MP3: the output names its lines), a repair (kDone: repaired when
// the verdict was corrupt, else nothing to repair) or a loudness measurement (kDone: the values
// are the reason; kNotChecked: not measured).
enum class ResultShape { kCheck, kDecode, kEncode, kRepair, kMeasure };

// Shows a result to the host: its result lines in their colours, and a source that could not
// be checked as an error. The only place that turns a track's result into lines.
void ShowResult(const TrackResult& result, ResultShape shape, IRunHost& host);

// The line a run ends with when a stop request ended it; red, but in the list's colour after an
// encoding.
void ShowAborted(ResultShape shape, IRunHost& host);

}  // namespace sonvara
