#pragma once

#include <string>
#include <vector>

#include "tracks/tracklist.h"

namespace sonvara {

class IRunHost;

// The reading step of adding tracks, over a host: the current file for each path, progress at
// every tenth file, and a stop request seen before each file. It touches no list, so it runs on
// a worker; the owner of the list filters the paths before (CTrackList::NewPaths) and appends
// the result after (CTrackList::AppendRead). With more than one thread, files are read at
// once and the host hears of each in path order.
std::vector<ReadTrack> ReadTracks(const std::vector<std::string>& newPaths, bool readTags,
                                  IRunHost& host, const TrackReader& reader = {},
                                  unsigned threads = 1);

// The threads that read files for the list: the cores, at most four.
unsigned ReaderThreads();

}  // namespace sonvara
