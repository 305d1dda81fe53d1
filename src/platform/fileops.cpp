#include "platform/fileops.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>
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

bool CopyFileAttributes(const std::string& from, const std::string& to, FileOpError& error) {
#ifndef _WIN32
    auto fail = [&error](const std::string& what) {
        const int code = errno;
        error = {what + ": " + std::error_code(code, std::generic_category()).message(),
                 code == ENOSPC || code == EDQUOT, code};
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
