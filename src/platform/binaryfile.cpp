#include "platform/binaryfile.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonvara {

CBinaryFile::~CBinaryFile() { Close(); }

std::string CBinaryFile::ErrorText() const {
    if (m_ErrorText != nullptr) {
        return m_ErrorText;
    }
    return std::error_code(m_ErrorCode, std::generic_category()).message();
}

void CBinaryFile::SetError(int code, const char* text) {
    m_ErrorCode = code != 0 ? code : EIO;
    m_ErrorText = text;
}

#ifdef _WIN32

bool CBinaryFile::OpenRead(const std::string& path) {
    Close();
    m_ErrorCode = 0;
    m_ErrorText = nullptr;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        SetError(errno);
        return false;
    }
    if (_fseeki64(f, 0, SEEK_END) != 0) {
        SetError(errno);
        std::fclose(f);
        return false;
    }
    m_Size = _ftelli64(f);
    _fseeki64(f, 0, SEEK_SET);
    m_Handle = f;
    return true;
}

void CBinaryFile::Close() {
    if (m_Handle != nullptr) {
        std::fclose(static_cast<std::FILE*>(m_Handle));
        m_Handle = nullptr;
    }
    m_Size = 0;
}

bool CBinaryFile::IsOpen() const { return m_Handle != nullptr; }

std::size_t CBinaryFile::Read(void* buffer, std::size_t count) {
    auto* f = static_cast<std::FILE*>(m_Handle);
    const std::size_t n = std::fread(buffer, 1, count, f);
    if (n < count && std::ferror(f)) {
        SetError(errno);
    }
    return n;
}

bool CBinaryFile::Seek(std::int64_t position) {
    if (_fseeki64(static_cast<std::FILE*>(m_Handle), position, SEEK_SET) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

#else

bool CBinaryFile::OpenRead(const std::string& path) {
    Close();
    m_ErrorCode = 0;
    m_ErrorText = nullptr;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        SetError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        SetError(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            SetError(EISDIR);
        } else {
            SetError(ENODEV, "not a regular file");
        }
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    m_Fd = fd;
    m_Size = static_cast<std::int64_t>(st.st_size);
    return true;
}

void CBinaryFile::Close() {
    if (m_Fd >= 0) {
        ::close(m_Fd);
        m_Fd = -1;
    }
    m_Size = 0;
}

bool CBinaryFile::IsOpen() const { return m_Fd >= 0; }

std::size_t CBinaryFile::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_Fd, out + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetError(errno);
        }
        break;
    }
    return done;
}

bool CBinaryFile::Seek(std::int64_t position) {
    if (::lseek(m_Fd, static_cast<off_t>(position), SEEK_SET) < 0) {
        SetError(errno);
        return false;
    }
    return true;
}

#endif

}  // namespace sonvara
