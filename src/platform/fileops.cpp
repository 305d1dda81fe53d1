#include "platform/fileops.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonvara {

std::string TempSiblingName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const auto tick = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
#ifdef _WIN32
    const unsigned long pid = 0;
#else
    const auto pid = static_cast<unsigned long>(::getpid());
#endif
    return std::string(DirectoryPart(path)) + "." + std::string(FileNamePart(path)) + "." +
           std::to_string(pid) + "-" + std::to_string(tick % 1000000007ULL) + "-" +
           std::to_string(counter++) + ".tmp";
}

bool WriteNewFile(const std::string& path, const void* data, std::size_t size,
                  FileOpError& error) {
    CFile file;
    if (!file.Open(path, CFile::Mode::kCreateNew)) {
        error = {file.ErrorText(), file.DiskFull()};
        return false;
    }
    if (!file.WriteAt(0, data, size) || !file.Sync() || !file.Close()) {
        error = {file.ErrorText(), file.DiskFull()};
        file.Close();
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return false;
    }
    return true;
}

bool SyncFile(const std::string& path, FileOpError& error) {
    CFile file;
    if (!file.Open(path, CFile::Mode::kReadWrite) || !file.Sync() || !file.Close()) {
        error = {file.ErrorText(), file.DiskFull()};
        return false;
    }
    return true;
}

bool ReplaceFile(const std::string& source, const std::string& target, FileOpError& error) {
    std::error_code ec;
#ifndef _WIN32
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::chmod(source.c_str(), st.st_mode & 07777);
        if (::geteuid() == 0) {
            if (::chown(source.c_str(), st.st_uid, st.st_gid) != 0) {
                // Keeping the new owner is better than failing the whole replacement.
            }
        }
    }
#else
    const auto perms = std::filesystem::status(target, ec).permissions();
    if (!ec) {
        std::filesystem::permissions(source, perms, ec);
    }
#endif
    std::filesystem::rename(source, target, ec);
    if (ec) {
        error = {std::error_code(ec.value(), std::generic_category()).message(), false};
        return false;
    }
    return true;
}

}  // namespace sonvara

namespace sonvara {

bool MoveFile(const std::string& source, const std::string& target, bool replace,
              FileOpError& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!replace && fs::exists(fs::symlink_status(target, ec))) {
        error = {"the target exists", false};
        return false;
    }
    fs::rename(source, target, ec);
    if (!ec) {
        return true;
    }
#ifdef EXDEV
    const bool otherVolume = ec.value() == EXDEV;
#else
    const bool otherVolume = true;
#endif
    if (!otherVolume) {
        error = {std::error_code(ec.value(), std::generic_category()).message(), false};
        return false;
    }
    const std::string temp = TempSiblingName(target);
    const auto size = fs::file_size(source, ec);
    if (ec) {
        error = {std::error_code(ec.value(), std::generic_category()).message(), false};
        return false;
    }
    if (!fs::copy_file(source, temp, fs::copy_options::none, ec) || fs::file_size(temp, ec) != size ||
        ec) {
        error = {ec ? std::error_code(ec.value(), std::generic_category()).message()
                    : "the copy is incomplete",
                 ec.value() == ENOSPC || ec.value() == EFBIG};
        fs::remove(temp, ec);
        return false;
    }
    FileOpError syncError;
    if (!SyncFile(temp, syncError) || !ReplaceFile(temp, target, syncError)) {
        error = syncError;
        fs::remove(temp, ec);
        return false;
    }
    if (!fs::remove(source, ec)) {
        // The copy is in place; the original stays too rather than being half removed.
        error = {"copied, but the original could not be removed: " +
                     std::error_code(ec.value(), std::generic_category()).message(),
                 false};
        return false;
    }
    return true;
}

}  // namespace sonvara
