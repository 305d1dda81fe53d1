#include "platform/atomicfile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/paths.h"

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonvara {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMark = ".sonvara-";
constexpr std::string_view kSuffix = ".tmp";
// Our part of a temporary name stays below 70 bytes, so the name part of the target is cut to
// keep the whole name within the 255 bytes file systems allow.
constexpr std::size_t kNameRoom = 185;

FileOpError TargetExists() {
    return {"the target exists", false, EEXIST, FileOpError::Kind::kTargetExists};
}

std::string SystemText(int code) {
    return std::error_code(code, std::generic_category()).message();
}

unsigned long ProcessId() {
#ifdef _WIN32
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

// Eight hex digits naming this machine, so that runs on other machines sharing a folder never
// take our temporary files for theirs (or theirs for ours).
const std::string& HostTag() {
    static const std::string tag = [] {
        std::string host = "localhost";
#ifndef _WIN32
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) == 0) {
            host = name;
        }
#else
        if (const char* computer = std::getenv("COMPUTERNAME")) {
            host = computer;
        }
#endif
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (unsigned char c : host) {
            hash = (hash ^ c) * 16777619u;
        }
        char text[9];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hash));
        return std::string(text);
    }();
    return tag;
}

std::atomic<unsigned long long> g_Counter{0};

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool AllHex(std::string_view text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return !text.empty();
}

// Splits "<pid>-<host>-<number>" of one of our names; false when it is not one.
bool ParseTempName(std::string_view fileName, unsigned long& pid, std::string_view& host) {
    if (fileName.size() < 1 + kMark.size() + kSuffix.size() || fileName[0] != '.' ||
        fileName.substr(fileName.size() - kSuffix.size()) != kSuffix) {
        return false;
    }
    const std::size_t mark = fileName.rfind(kMark);
    if (mark == std::string_view::npos || mark == 0) {
        return false;
    }
    std::string_view tail = fileName.substr(mark + kMark.size());
    tail.remove_suffix(kSuffix.size());
    const std::size_t first = tail.find('-');
    const std::size_t second = first == std::string_view::npos ? first : tail.find('-', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    const std::string_view pidText = tail.substr(0, first);
    host = tail.substr(first + 1, second - first - 1);
    const std::string_view number = tail.substr(second + 1);
    if (!AllDigits(pidText) || pidText.size() > 10 || host.size() != 8 || !AllHex(host) ||
        !AllDigits(number)) {
        return false;
    }
    pid = std::stoul(std::string(pidText));
    return true;
}

bool ProcessAlive(unsigned long pid) {
#ifdef _WIN32
    (void)pid;
    return true;  // never guess on a system without the test below
#else
    if (pid == 0 || pid > 0x7FFFFFFFUL) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Pushes a file's data to the disk.
bool SyncPath(const std::string& path, FileOpError& error) {
#ifdef _WIN32
    return SyncFile(path, error);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = {SystemText(errno), false, errno};
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    if (!ok) {
        error = {SystemText(code), code == ENOSPC || code == EDQUOT, code};
    }
    return ok;
#endif
}

// After a rename, the folder's entry reaches the disk too (best effort: not every file system
// can sync a folder).
void SyncFolderOf(const std::string& path) {
#ifndef _WIN32
    std::string folder(DirectoryPart(path));
    if (folder.empty()) {
        folder = ".";
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

}  // namespace

std::string AtomicTempName(const std::string& target, unsigned long long number) {
    const std::string_view name = FileNamePart(target);
    const std::string_view kept = name.substr(0, Utf8CutLength(name, kNameRoom));
    return std::string(DirectoryPart(target)) + "." + std::string(kept) + std::string(kMark) +
           std::to_string(ProcessId()) + "-" + HostTag() + "-" + std::to_string(number) +
           std::string(kSuffix);
}

bool IsAtomicTempName(std::string_view fileName) {
    unsigned long pid = 0;
    std::string_view host;
    return ParseTempName(fileName, pid, host);
}

CAtomicFile::CAtomicFile(std::string target) : m_Target(std::move(target)) {}

CAtomicFile::~CAtomicFile() {
    Discard();
}

bool CAtomicFile::Create(FileOpError& error) {
    Discard();
    if (m_Target.empty() || FileNamePart(m_Target).empty()) {
        error = {"no file name", false};
        return false;
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string temp = AtomicTempName(m_Target, g_Counter++);
        CFile file;
        if (file.Open(temp, CFile::Mode::kCreateNew)) {
            file.Close();
            m_Temp = temp;
            return true;
        }
        if (file.ErrorCode() != EEXIST) {
            error = {file.ErrorText(), file.DiskFull(), file.ErrorCode()};
            return false;
        }
        // A file of that name exists (a stray of a killed run with our process id): the next
        // number is free of it.
    }
    error = {"no free temporary name beside the file", false};
    return false;
}

void CAtomicFile::Discard() {
    if (m_Temp.empty()) {
        return;
    }
    std::error_code ec;
    fs::remove(m_Temp, ec);
    m_Temp.clear();
}

bool RenameInPlace(const std::string& source, const std::string& target, bool mayReplace,
                   FileOpError& error) {
    std::error_code ec;
    if (mayReplace) {
        fs::rename(source, target, ec);
        if (ec) {
            error = {SystemText(ec.value()), ec.value() == ENOSPC, ec.value()};
            return false;
        }
        return true;
    }
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        error = errno == EEXIST ? TargetExists() : FileOpError{SystemText(errno), false, errno};
        return false;
    }
#endif
#ifndef _WIN32
    // A hard link fails when the target exists; then the old name goes.
    if (::link(source.c_str(), target.c_str()) == 0) {
        ::unlink(source.c_str());
        return true;
    }
    if (errno == EEXIST || errno == EXDEV) {
        error = errno == EEXIST ? TargetExists() : FileOpError{SystemText(errno), false, errno};
        return false;
    }
#endif
    if (fs::exists(fs::symlink_status(target, ec))) {
        error = TargetExists();
        return false;
    }
    fs::rename(source, target, ec);
    if (ec) {
        error = {SystemText(ec.value()), false, ec.value()};
        return false;
    }
    return true;
}

bool CAtomicFile::Commit(FileOpError& error, bool mayReplace) {
    if (m_Temp.empty()) {
        error = {"no temporary file was made", false};
        return false;
    }
    if (!SyncPath(m_Temp, error)) {
        return false;
    }
#ifndef _WIN32
    // The file being replaced (for a link: the file it points to, which itself is left alone)
    // hands on its permission bits, and its owner where the process may set it.
    if (m_CopyAttributes && !CopyFileAttributes(m_Target, m_Temp, error)) {
        return false;
    }
    struct stat st {};
    if (m_KeepTargetMode && ::stat(m_Target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::chmod(m_Temp.c_str(), st.st_mode & 07777);
        if (::geteuid() == 0 && ::chown(m_Temp.c_str(), st.st_uid, st.st_gid) != 0) {
            // Keeping root as the owner is better than failing the whole replacement.
        }
    }
#else
    std::error_code ec;
    const fs::file_status status = fs::status(m_Target, ec);
    if (m_KeepTargetMode && !ec && fs::is_regular_file(status)) {
        fs::permissions(m_Temp, status.permissions(), ec);
    }
#endif
    if (!RenameInPlace(m_Temp, m_Target, mayReplace, error)) {
        return false;
    }
    m_Temp.clear();
    SyncFolderOf(m_Target);
    return true;
}

bool WriteFileAtomically(const std::string& target, const void* data, std::size_t size,
                         FileOpError& error, bool mayReplace) {
    CAtomicFile file(target);
    if (!file.Create(error)) {
        return false;
    }
    CFile out;
    if (!out.Open(file.TempPath(), CFile::Mode::kReadWrite)) {
        error = {out.ErrorText(), out.DiskFull()};
        return false;
    }
    if (!out.WriteAt(0, data, size) || !out.Close()) {
        error = {out.ErrorText(), out.DiskFull()};
        out.Close();
        return false;
    }
    return file.Commit(error, mayReplace);
}

std::size_t RemoveStrayTemps(const std::string& folder) {
    std::size_t removed = 0;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        unsigned long pid = 0;
        std::string_view host;
        if (!ParseTempName(name, pid, host) || host != HostTag() || pid == ProcessId() ||
            ProcessAlive(pid)) {
            continue;
        }
        std::error_code typeEc;
        const fs::file_status status = it->symlink_status(typeEc);
        if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
            continue;
        }
        if (fs::remove(it->path(), typeEc)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace sonvara
