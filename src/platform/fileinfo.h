#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sonvara {

// True when the current user may not write the file. A path that cannot be found is not
// read-only (false).
bool IsReadOnlyPath(const std::string& path);

// What makes a file the file it is (device and file number), for telling whether two names
// lead to one file. Links are not followed.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    bool operator==(const FileId&) const = default;
    bool operator<(const FileId& other) const {
        return device != other.device ? device < other.device : node < other.node;
    }
};
// False when there is nothing at path.
bool GetFileId(const std::string& path, FileId& id);

// True when the stream is attached to a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace sonvara
