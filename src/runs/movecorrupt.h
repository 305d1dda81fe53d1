#pragma once

#include <cstddef>
#include <string>

namespace sonvara {

class CTrackList;
class IRunHost;

// Moves every corrupt file of the list into the folder (made when it does not exist), asking
// the host before replacing a file there. A file this same move has put into the folder is
// never replaced: a later corrupt file of the same name stays where it is. Every file not
// moved is reported through ReportError with the reason (the answer No, a relative link that
// would point nowhere, a failed move); Cancel ends the move. Moved records leave the list.
// Runs on the thread that owns the list. Returns how many files were moved.
std::size_t MoveCorruptFiles(CTrackList& list, const std::string& folder, IRunHost& host);

}  // namespace sonvara
