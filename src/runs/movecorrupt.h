#pragma once

#include <cstddef>
#include <string>

namespace sonvara {

class CTrackList;
class IRunHost;

// Moves every corrupt file of the list into the folder, asking the host before replacing a
// file there; failures go to the host as messages. Moved records leave the list. Runs on the
// thread that owns the list. Returns how many files were moved.
std::size_t MoveCorruptFiles(CTrackList& list, const std::string& folder, IRunHost& host);

}  // namespace sonvara
