#include "platform/fileops.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonvara {

bool SyncFile(const std::string& path, FileOpError& error) {
    CFile file;
    if (!file.Open(path, CFile::Mode::kReadWrite) || !file.Sync() || !file.Close()) {
        error = {file.ErrorText(), file.DiskFull()};
        return false;
    }
    return true;
}

}  // namespace sonvara

namespace sonvara {

bool MoveFile(const std::string& source, const std::string& target, bool replace,
              FileOpError& error) {
    namespace fs = std::filesystem;
    auto systemText = [](const std::error_code& ec) {
        return std::error_code(ec.value(), std::generic_category()).message();
    };
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(source, ec);
    if (ec || !fs::exists(own)) {
        error = {ec ? systemText(ec) : "the file is no longer there", false, ec.value()};
        return false;
    }
    const bool link = fs::is_symlink(own);
    fs::path linkText;
    if (link) {
        linkText = fs::read_symlink(source, ec);
        if (ec) {
            error = {systemText(ec), false, ec.value()};
            return false;
        }
        if (linkText.is_relative()) {
            error = {"a relative symbolic link; moved, it would no longer point to its file", false,
                     0};
            return false;
        }
    } else if (!fs::is_regular_file(own)) {
        error = {"not a regular file", false, 0};
        return false;
    }
    FileOpError renameError;
    if (RenameInPlace(source, target, replace, renameError)) {
        return true;
    }
#ifdef EXDEV
    const bool otherVolume = renameError.code == EXDEV;
#else
    const bool otherVolume = false;
#endif
    if (!otherVolume) {
        error = renameError;
        return false;
    }
    // Another file system: a complete copy under a temporary name beside the target takes the
    // target's name in one step, and only then does the original go.
    CAtomicFile copy(target);
    copy.SetKeepTargetMode(false);
    if (link) {
        // The same absolute link, made under a temporary name of ours first.
        if (!copy.Create(error)) {
            return false;
        }
        const std::string temp = copy.TempPath();
        fs::remove(temp, ec);
        fs::create_symlink(linkText, temp, ec);
        if (ec) {
            error = {systemText(ec), false, ec.value()};
            return false;
        }
        if (!RenameInPlace(temp, target, replace, error)) {
            return false;  // the temporary link goes with copy
        }
    } else {
        if (!copy.Create(error)) {
            return false;
        }
        const auto size = fs::file_size(source, ec);
        if (ec) {
            error = {systemText(ec), false, ec.value()};
            return false;
        }
        fs::copy_file(source, copy.TempPath(), fs::copy_options::overwrite_existing, ec);
        if (ec || fs::file_size(copy.TempPath(), ec) != size || ec) {
            error = {ec ? systemText(ec) : "the copy is incomplete",
                     ec.value() == ENOSPC || ec.value() == EFBIG, ec.value()};
            return false;
        }
        fs::permissions(copy.TempPath(), own.permissions(), ec);
        if (!copy.Commit(error, replace)) {
            return false;
        }
    }
    if (!fs::remove(source, ec)) {
        // The copy is in place; the original stays too rather than being half removed.
        error = {"copied, but the original could not be removed: " + systemText(ec), false,
                 ec.value()};
        return false;
    }
    return true;
}

}  // namespace sonvara
