#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/fileops.h"

namespace sonvara {

// "Write a new file atomically", the one way every writer of the project puts a file in place.
//
// The data goes to a temporary file beside the target (same folder, so a rename can replace
// the target in one step), with a unique name that is recognisable as ours:
//     .<name>.sonvara-<process id>-<host tag>-<number>.tmp
// Commit pushes the data to the disk and renames the temporary file over the target. A
// symlink at the target is replaced itself, never written through; the file being replaced
// (for a link, the file it points to) hands its permission bits (and, for root, its owner) to
// the new file. Every path that does
// not commit (a failure, a stop, the destructor) removes the temporary file, so a final name
// only ever holds a complete file.
class CAtomicFile {
public:
    explicit CAtomicFile(std::string target);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file, empty, under a name no other file has (never a name that a
    // user's file or an earlier, killed run holds). False with the reason.
    bool Create(FileOpError& error);
    bool IsCreated() const { return !m_Temp.empty(); }

    const std::string& Target() const { return m_Target; }
    // Where the writer puts the data ("" before Create).
    const std::string& TempPath() const { return m_Temp; }

    // Puts the complete temporary file in the target's place. mayReplace false refuses (and
    // keeps the temporary file for another try) when anything exists at the target, decided
    // by the file system in the same step as the rename.
    bool Commit(FileOpError& error, bool mayReplace = true);
    // Removes the temporary file (nothing happens when there is none).
    void Discard();
    // false: Commit leaves the temporary file's own permission bits (a moved file keeps its
    // own mode instead of taking the replaced file's).
    void SetKeepTargetMode(bool keep) { m_KeepTargetMode = keep; }
    // true: Commit also gives the temporary file the owner and the extended attributes (ACLs
    // included) of the file it replaces, and fails when one cannot be carried over.
    void SetCopyAttributes(bool copy) { m_CopyAttributes = copy; }

private:
    std::string m_Target;
    std::string m_Temp;
    bool m_KeepTargetMode = true;
    bool m_CopyAttributes = false;
};

// Writes the bytes as a new file that replaces target in one step (see CAtomicFile).
bool WriteFileAtomically(const std::string& target, const void* data, std::size_t size,
                         FileOpError& error, bool mayReplace = true);

// Renames source to target in one step; with mayReplace false the rename fails with "the
// target exists" when anything is at target (checked by the file system, no gap).
bool RenameInPlace(const std::string& source, const std::string& target, bool mayReplace,
                   FileOpError& error);

// The temporary name CAtomicFile would choose for target with this number (for tests and
// for the length check of callers).
std::string AtomicTempName(const std::string& target, unsigned long long number);

// True when a file name (no folder) is one of our temporary names, of any process.
bool IsAtomicTempName(std::string_view fileName);

// Removes, in one folder (not its sub-folders), the temporary files that runs of this
// program on this machine left behind when they were killed: only files (or links, never
// followed) whose name is ours and whose process no longer exists. Returns how many were removed.
std::size_t RemoveStrayTemps(const std::string& folder);

}  // namespace sonvara
