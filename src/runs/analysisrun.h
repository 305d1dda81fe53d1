#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/findings.h"
#include "runs/trackresult.h"

namespace sonvara {

class IProgressSink;
class IRunHost;
struct TrackRecord;

// What checking one MP3 file found. A file that cannot be opened or read, or that holds no
// MPEG audio frame at all, is an error with its reason: it is not corrupt.
struct CheckVerdict {
    enum Kind { kOk, kCorrupt, kError } kind = kError;
    std::string reason;
    std::int64_t frames = 0;    // audio frames
    std::int64_t lengthMs = 0;  // their playing time
    std::vector<Finding> findings;
    std::int64_t findingsLeftOut = 0;
    bool stopped = false;  // the sink asked to stop: the verdict is that of the part walked
};
// With decode, every frame is also decoded (libmpg123): what the decoder cannot decode becomes
// an error finding ("decode_error") and makes the file Corrupt.
CheckVerdict CheckMp3File(const std::string& path, IProgressSink* sink, bool decode = false);
// The verdict as a track's result: kDone with the verdict, or kNotChecked with the reason. The
// analysis run and the MP3 -> WAV conversion judge a source by it.
TrackResult CheckResult(std::size_t index, const std::string& path, const CheckVerdict& verdict);

// The analysis run: every MP3 record not analysed yet is checked frame by frame, in list
// order; the verdict goes to the host as the record's new checkState and two result lines, an
// unreadable file as an error (its checkState stays 0). A stop request is seen before each file.
// threads > 1 checks that many files at once; the host still hears of them in list order, and
// its progress is then the share of the files done.
// onChecked, when given, hears every checked file's verdict with its findings (on the run's
// thread, in list order, before the host hears of it); index is into tracks.
// Returns the result of every file checked, in list order.
using CheckedFn = std::function<void(std::size_t index, const CheckVerdict& verdict)>;
std::vector<TrackResult> RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host,
                                     unsigned threads = 1, const CheckedFn& onChecked = {},
                                     bool decode = false);

}  // namespace sonvara
