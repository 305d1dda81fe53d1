#include "platform/fileinfo.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <filesystem>
#include <functional>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonvara {

bool IsReadOnlyPath(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
    if (::faccessat(AT_FDCWD, path.c_str(), F_OK, AT_EACCESS) != 0) {
        return false;
    }
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
#endif
}

bool GetFileId(const std::string& path, FileId& id) {
#ifdef _WIN32
    // No file numbers through this interface: the name itself, as the system resolves it.
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(path, ec);
    if (ec || !std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        return false;
    }
    id = {0, std::hash<std::string>{}(canonical.string())};
    return true;
#else
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return false;
    }
    id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return true;
#endif
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

}  // namespace sonvara
