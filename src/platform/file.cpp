#include "platform/file.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#define SV_OPEN _open
#define SV_CLOSE _close
#define SV_READ _read
#define SV_WRITE _write
#define SV_LSEEK _lseeki64
#define SV_FSTAT _fstat64
#define SV_STAT struct _stat64
#define SV_BINARY _O_BINARY
#define SV_NONBLOCK 0
#define SV_CLOEXEC 0
#else
#include <unistd.h>
#define SV_OPEN ::open
#define SV_CLOSE ::close
#define SV_READ ::read
#define SV_WRITE ::write
#define SV_LSEEK ::lseek
#define SV_FSTAT ::fstat
#define SV_STAT struct stat
#define SV_BINARY 0
#define SV_NONBLOCK O_NONBLOCK
#define SV_CLOEXEC O_CLOEXEC
#endif

namespace sonvara {

CFile::~CFile() {
    Close();
}

std::string CFile::ErrorText() const {
    if (m_ErrorText != nullptr) {
        return m_ErrorText;
    }
    return std::error_code(m_ErrorCode, std::generic_category()).message();
}

bool CFile::DiskFull() const {
#ifdef EFBIG
    if (m_ErrorCode == EFBIG) {
        return true;
    }
#endif
#ifdef EDQUOT
    if (m_ErrorCode == EDQUOT) {
        return true;
    }
#endif
    return m_ErrorCode == ENOSPC;
}

void CFile::SetError(int code, const char* text) {
    m_ErrorCode = code != 0 ? code : EIO;
    m_ErrorText = text;
}

bool CFile::Open(const std::string& path, Mode mode) {
    Close();
    m_ErrorCode = 0;
    m_ErrorText = nullptr;
    int flags = SV_BINARY | SV_CLOEXEC | SV_NONBLOCK;
    switch (mode) {
        case Mode::kRead: flags |= O_RDONLY; break;
        case Mode::kReadWrite: flags |= O_RDWR; break;
        case Mode::kCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case Mode::kCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    const int fd = SV_OPEN(path.c_str(), flags, 0666);
    if (fd < 0) {
        SetError(errno);
        return false;
    }
    SV_STAT st{};
    if (SV_FSTAT(fd, &st) != 0) {
        SetError(errno);
        SV_CLOSE(fd);
        return false;
    }
    if ((st.st_mode & S_IFMT) != S_IFREG) {
        if ((st.st_mode & S_IFMT) == S_IFDIR) {
            SetError(EISDIR);
        } else {
            SetError(ENODEV, "not a regular file");
        }
        SV_CLOSE(fd);
        return false;
    }
#ifndef _WIN32
    if (const int fl = ::fcntl(fd, F_GETFL); fl >= 0) {
        ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    }
#endif
    m_Fd = fd;
    return true;
}

bool CFile::Close() {
    if (m_Fd < 0) {
        return true;
    }
    const int rc = SV_CLOSE(m_Fd);
    m_Fd = -1;
    if (rc != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

std::size_t CFile::ReadAt(std::int64_t position, void* buffer, std::size_t count) {
    if (m_Fd < 0 || position < 0) {
        SetError(EBADF);
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
#ifdef _WIN32
    if (SV_LSEEK(m_Fd, position, SEEK_SET) < 0) {
        SetError(errno);
        return 0;
    }
#endif
    while (done < count) {
#ifdef _WIN32
        const int n = SV_READ(m_Fd, out + done, static_cast<unsigned>(count - done));
#else
        const ssize_t n = ::pread(m_Fd, out + done, count - done,
                                  static_cast<off_t>(position + static_cast<std::int64_t>(done)));
#endif
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n < 0) {
                SetError(errno);
            }
            break;
        }
    }
    return done;
}

bool CFile::WriteAt(std::int64_t position, const void* buffer, std::size_t count) {
    if (m_Fd < 0 || position < 0) {
        SetError(EBADF);
        return false;
    }
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
#ifdef _WIN32
    if (SV_LSEEK(m_Fd, position, SEEK_SET) < 0) {
        SetError(errno);
        return false;
    }
#endif
    while (done < count) {
#ifdef _WIN32
        const int n = SV_WRITE(m_Fd, in + done, static_cast<unsigned>(count - done));
#else
        const ssize_t n = ::pwrite(m_Fd, in + done, count - done,
                                   static_cast<off_t>(position + static_cast<std::int64_t>(done)));
#endif
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            SetError(n < 0 ? errno : ENOSPC);
            return false;
        }
    }
    return true;
}

std::int64_t CFile::Size() {
    SV_STAT st{};
    if (m_Fd < 0 || SV_FSTAT(m_Fd, &st) != 0) {
        SetError(errno);
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool CFile::Truncate(std::int64_t size) {
#ifdef _WIN32
    const int rc = _chsize_s(m_Fd, size);
    if (rc != 0) {
        SetError(rc);
        return false;
    }
#else
    if (::ftruncate(m_Fd, static_cast<off_t>(size)) != 0) {
        SetError(errno);
        return false;
    }
#endif
    return true;
}

bool CFile::Sync() {
#ifdef _WIN32
    if (_commit(m_Fd) != 0) {
#else
    if (::fsync(m_Fd) != 0) {
#endif
        SetError(errno);
        return false;
    }
    return true;
}

}  // namespace sonvara
