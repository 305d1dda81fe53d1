#include "platform/fileops.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <fcntl.h>
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

FileOpError WriteErrorOf(int code) {
    switch (code) {
        case ENOSPC: return {"the disk is full", true, code};
#ifdef EDQUOT
        case EDQUOT: return {"the disk quota is used up", true, code};
#endif
        case EFBIG: return {"the file is larger than the file system allows", true, code};
        default: return {std::error_code(code, std::generic_category()).message(), false, code};
    }
}

bool CopyFileData(const std::string& source, const std::string& target, FileOpError& error) {
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               ec);
    if (ec) {
        error = WriteErrorOf(ec.value());
    }
    return !ec;
#else
    // A copy of our own: the library's copy turns a short write (a full disk) into "input/output
    // error", and the user must be told that the disk is full.
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error = WriteErrorOf(errno);
        return false;
    }
    const int out = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0) {
        error = WriteErrorOf(errno);
        ::close(in);
        return false;
    }
    int code = 0;
    bool inKernel = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t n = -1;
#ifdef __linux__
        if (inKernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 20, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                          errno == EOPNOTSUPP || errno == EBADF)) {
                inKernel = false;  // not between these two: through a buffer of ours
                continue;
            }
        } else
#endif
        {
            buffer.resize(1 << 20);
            n = ::read(in, buffer.data(), buffer.size());
            for (ssize_t done = 0; n > 0 && done < n;) {
                const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR) {
                    continue;
                }
                if (w <= 0) {
                    code = w < 0 ? errno : ENOSPC;  // no progress: nothing more fits
                    break;
                }
                done += w;
            }
        }
        if (code != 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            code = errno;
            break;
        }
        if (n == 0) {
            break;
        }
    }
    if (code == 0 && ::fsync(out) != 0 && errno != EINVAL && errno != EROFS) {
        code = errno;  // EINVAL, EROFS: a file that cannot be synced (a device), nothing lost
    }
    if (::close(out) != 0 && code == 0) {
        code = errno;
    }
    ::close(in);
    if (code != 0) {
        error = WriteErrorOf(code);
        return false;
    }
    return true;
#endif
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
        if (!CopyFileData(source, copy.TempPath(), error)) {
            return false;
        }
        if (fs::file_size(copy.TempPath(), ec) != size || ec) {
            error = {ec ? systemText(ec) : "the copy is incomplete", false, ec.value()};
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
