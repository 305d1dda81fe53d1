#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

struct FileOpError {
    enum class Kind {
        kOther,
        kTargetExists,  // a rename or move that may not replace found a file at the target
    };
    std::string text;       // the system's words
    bool diskFull = false;  // a full disk or a file-size limit
    int code = 0;           // the system's error number, when there is one
    Kind kind = Kind::kOther;
};

// Pushes a file's data to the disk (before it replaces another by a rename).
bool SyncFile(const std::string& path, FileOpError& error);

// Gives `to` the owner, permission bits and extended attributes of `from` (user.*, the ACLs in
// system.posix_acl_access and system.posix_acl_default, and whatever else the process may set;
// security.* that only the system may set is left out). Links are followed on both sides.
// False with the reason when an attribute or the owner cannot be carried over.
bool CopyFileAttributes(const std::string& from, const std::string& to, FileOpError& error);

// How many names (hard links) the file at path has, links followed; 0 when there is none.
std::uint64_t HardLinkCount(const std::string& path);

// Copies the bytes of the file `source` into the existing file `target` (emptied first) and
// pushes them to the disk. Every failure keeps the system's reason: a full disk says "the disk
// is full" (with diskFull set), never a generic input/output error.
bool CopyFileData(const std::string& source, const std::string& target, FileOpError& error);

// The words for a write error: a full disk, a quota or a file-size limit named as such (and
// diskFull set), any other error in the system's words.
FileOpError WriteErrorOf(int code);

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
