#include "support/filesnapshot.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/atomicfile.h"

namespace sonvara::test {

namespace fs = std::filesystem;

FileSnapshot TakeSnapshot(const std::string& root) {
    FileSnapshot snapshot;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        FileEntry entry;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            continue;
        }
        entry.mode = st.st_mode & 07777;
        if (S_ISLNK(st.st_mode)) {
            entry.kind = 'l';
            entry.linkText = fs::read_symlink(path, ec).string();
            entry.mode = 0;
        } else if (S_ISDIR(st.st_mode)) {
            entry.kind = 'd';
        } else if (S_ISREG(st.st_mode)) {
            entry.kind = 'f';
            std::ifstream in(path, std::ios::binary);
            entry.bytes.assign(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
        snapshot[path.substr(root.size())] = entry;
    }
    return snapshot;
}

std::string SnapshotDifference(const FileSnapshot& before, const FileSnapshot& after) {
    std::string out;
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end()) {
            out += "gone: " + path + "\n";
        } else if (it->second.kind != entry.kind) {
            out += "kind changed: " + path + "\n";
        } else if (it->second.linkText != entry.linkText) {
            out += "link changed: " + path + "\n";
        } else if (it->second.mode != entry.mode) {
            out += "mode changed: " + path + "\n";
        } else if (it->second.bytes != entry.bytes) {
            out += "bytes changed: " + path + "\n";
        }
    }
    for (const auto& [path, entry] : after) {
        if (before.count(path) == 0) {
            out += "new: " + path + "\n";
        }
    }
    return out;
}

std::vector<std::string> TempFilesUnder(const std::string& root) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsAtomicTempName(name) || name[0] == '~' || name.find(".tmp") != std::string::npos) {
            found.push_back(it->path().string());
        }
    }
    return found;
}

}  // namespace sonvara::test
