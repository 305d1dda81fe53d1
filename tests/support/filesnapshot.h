#pragma once

#include <map>
#include <string>
#include <vector>

namespace sonvara::test {

// What a folder tree holds, links not followed: for each path below the root, its kind, the
// text of a link, the permission bits and the bytes of a file. Taken before and after an
// operation, it shows that sources kept their bytes, modes and link types.
struct FileEntry {
    char kind = '?';  // 'f' file, 'l' link, 'd' folder, '?' other
    std::string linkText;
    unsigned mode = 0;
    std::string bytes;
    bool operator==(const FileEntry&) const = default;
};

using FileSnapshot = std::map<std::string, FileEntry>;

FileSnapshot TakeSnapshot(const std::string& root);

// "" when the snapshots are equal, else a line per difference.
std::string SnapshotDifference(const FileSnapshot& before, const FileSnapshot& after);

// Names under root (recursively) that look like temporary files: ours, a leading "~", or a
// ".tmp" anywhere in the name.
std::vector<std::string> TempFilesUnder(const std::string& root);

}  // namespace sonvara::test
