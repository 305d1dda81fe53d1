#pragma once

#include <vector>

namespace sonvara {

class IRunHost;
struct TrackRecord;

// The analysis run: every MP3 record not analysed yet is checked frame by frame, in list
// order; the verdict goes into its checkState and two result lines. A stop request is seen
// before each file.
void RunAnalysis(const std::vector<TrackRecord*>& tracks, IRunHost& host);

}  // namespace sonvara
