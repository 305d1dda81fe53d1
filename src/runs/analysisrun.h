#pragma once

#include <string>
#include <vector>

namespace sonvara {

class IProgressSink;
class IRunHost;
struct TrackRecord;

// What checking one MP3 file found. A file that cannot be opened or read, or that holds no
// MPEG audio frame at all, is an error with its reason: it is not corrupt.
struct CheckVerdict {
    enum Kind { kOk, kCorrupt, kError } kind = kError;
    std::string reason;
};
CheckVerdict CheckMp3File(const std::string& path, IProgressSink* sink);

// The analysis run: every MP3 record not analysed yet is checked frame by frame, in list
// order; the verdict goes to the host as the record's new checkState and two result lines, an
// unreadable file as an error (its checkState stays 0). A stop request is seen before each file.
// threads > 1 checks that many files at once; the host still hears of them in list order, and
// its progress is then the share of the files done.
void RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host, unsigned threads = 1);

}  // namespace sonvara
