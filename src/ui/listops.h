#pragma once

#include <functional>
#include <string>
#include <vector>

#include "jobs/runhost.h"
#include "tracks/tracklist.h"

// The working list's operations as the window runs them: the reading step of adding tracks
// (on the read-files dialog's worker) and moving the corrupt files with the questions a window
// asks (on the UI thread).
namespace sonvara::ui {

// How a reading walk reports: the file in work, the progress at every tenth file, the stop.
struct ReadCallbacks {
    std::function<void(const std::string&)> currentFile;
    std::function<void(int)> progress;
    std::function<bool()> aborted;  // any thread
};

// Reads the files in order (the core's read step); stops before the next file once `aborted`
// says so. Touches no list.
std::vector<ReadTrack> ReadEntries(const std::vector<std::string>& paths, bool readTags,
                                   const ReadCallbacks& callbacks);

struct MoveCallbacks {
    std::function<Answer(const std::string& question)> askOverwrite;
    std::function<void(const std::string& text)> showError;
};
std::size_t MoveCorrupt(CTrackList& list, const std::string& folder, const MoveCallbacks& host);

}  // namespace sonvara::ui
