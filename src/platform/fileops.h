#pragma once

#include <cstddef>
#include <string>

namespace sonvara {

struct FileOpError {
    std::string text;       // the system's words
    bool diskFull = false;  // a full disk or a file-size limit
    int code = 0;           // the system's error number, when there is one
};

// A name for a new file beside path (same folder, so a rename can replace path at once).
std::string TempSiblingName(const std::string& path);

// Creates path (which must not exist), writes the bytes, pushes them to the disk and closes.
// On failure the partial file is removed.
bool WriteNewFile(const std::string& path, const void* data, std::size_t size, FileOpError& error);

// Pushes a file's data to the disk (before it replaces another by a rename).
bool SyncFile(const std::string& path, FileOpError& error);

// Replaces target by source in one step (a rename): readers see either the old or the new
// file, never a mixture. source takes over target's permission bits (and owner, where the
// process may set it).
bool ReplaceFile(const std::string& source, const std::string& target, FileOpError& error);

}  // namespace sonvara

namespace sonvara {

// Moves a file; where a rename cannot (another file system), copies it beside the target
// under a temporary name, checks the copy's size, renames it into place and only then removes
// the original. Any failure leaves the original where it was and no copy behind. replace: an
// existing target is replaced (else refused, decided by the file system in the same step as
// the rename). A symbolic link is moved as the link; a relative link is refused, because at
// the target it would no longer point to its file.
bool MoveFile(const std::string& source, const std::string& target, bool replace,
              FileOpError& error);

}  // namespace sonvara
