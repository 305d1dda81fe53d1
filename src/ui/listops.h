#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tracks/tracklist.h"

// The working list's operations as the window uses them: the filter, the read and the append
// steps of adding tracks, and moving the corrupt files with the questions a window asks.
namespace sonvara::ui {

// The paths not listed yet, in order, each once.
std::vector<std::string> NewPaths(const CTrackList& list, const std::vector<std::string>& paths);

// One file read for the list (off the list's thread).
struct ReadEntry {
    std::string path;
    TrackInfo info;
};

// How a reading walk reports: the file in work, the progress at every tenth file, the stop.
struct ReadCallbacks {
    std::function<void(const std::string&)> currentFile;
    std::function<void(int)> progress;
    std::function<bool()> aborted;
};

// Reads the files in order; stops before the next file once `aborted` says so. A file that
// cannot be read (length 0, or an error) is left out.
std::vector<ReadEntry> ReadEntries(const std::vector<std::string>& paths, bool readTags,
                                   const ReadCallbacks& callbacks);

// Appends what was read (on the list's thread); paths listed meanwhile are skipped.
std::size_t AppendEntries(CTrackList& list, std::vector<ReadEntry>&& entries);

enum class OverwriteAnswer { kYes, kNo, kCancel };
struct MoveCallbacks {
    std::function<OverwriteAnswer(const std::string& question)> askOverwrite;
    std::function<void(const std::string& text)> showError;
};
std::size_t MoveCorrupt(CTrackList& list, const std::string& folder, const MoveCallbacks& host);

}  // namespace sonvara::ui
