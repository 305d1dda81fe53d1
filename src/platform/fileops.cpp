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
#include <sys/xattr.h>
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

bool CopyFileAttributes(const std::string& from, const std::string& to, FileOpError& error) {
#ifndef _WIN32
    auto fail = [&error](const std::string& what) {
        error = WriteErrorOf(errno);
        error.text = what + ": " + error.text;
        return false;
    };
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) {
        return fail("cannot read the file's owner and mode");
    }
    struct stat own {};
    if (::stat(to.c_str(), &own) != 0) {
        return fail("cannot read the new file's owner");
    }
    if ((own.st_uid != st.st_uid || own.st_gid != st.st_gid) &&
        ::chown(to.c_str(), st.st_uid, st.st_gid) != 0) {
        return fail("cannot give the new file the owner of the old one");
    }
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0) {
        return fail("cannot give the new file the mode of the old one");
    }
    std::vector<char> names;
    for (;;) {
        const ssize_t need = ::listxattr(from.c_str(), nullptr, 0);
        if (need < 0) {
            if (errno == ENOTSUP) {
                return true;  // a file system without attributes: nothing to carry
            }
            return fail("cannot list the file's extended attributes");
        }
        names.resize(static_cast<std::size_t>(need));
        const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {
            return fail("cannot list the file's extended attributes");
        }
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        if (name.rfind("security.", 0) == 0 && ::geteuid() != 0) {
            continue;  // set by the system for the new file itself
        }
        ssize_t size = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (size >= 0) {
            value.resize(static_cast<std::size_t>(size));
            size = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        }
        if (size < 0) {
            return fail("cannot read the extended attribute " + name);
        }
        if (::setxattr(to.c_str(), name.c_str(), value.data(), static_cast<std::size_t>(size), 0) !=
            0) {
            if (name.rfind("security.", 0) == 0 && (errno == EPERM || errno == ENOTSUP)) {
                continue;  // a label the system keeps for itself
            }
            return fail("cannot copy the extended attribute " + name);
        }
    }
    return true;
#else
    (void)from;
    (void)to;
    (void)error;
    return true;
#endif
}

std::uint64_t HardLinkCount(const std::string& path) {
#ifndef _WIN32
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_nlink) : 0;
#else
    std::error_code ec;
    const auto n = std::filesystem::hard_link_count(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(n);
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
