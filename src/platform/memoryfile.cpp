#include "platform/memoryfile.h"

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "platform/file.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sonvara {

CMemoryFile::~CMemoryFile() {
#ifdef __linux__
    if (m_Fd >= 0) {
        ::close(m_Fd);
    }
#endif
    if (m_OnDisk) {
        std::error_code ec;
        std::filesystem::remove(m_Path, ec);
    }
}

bool CMemoryFile::Create(const std::string& name, const std::string& extension) {
#ifdef __linux__
    m_Fd = ::memfd_create(name.c_str(), MFD_CLOEXEC);
    if (m_Fd >= 0) {
        m_Path = "/proc/self/fd/" + std::to_string(m_Fd);
        return true;
    }
#endif
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
        return false;
    }
    static std::atomic<int> serial{0};
    m_Path = (dir / (name + "-" + std::to_string(++serial) + extension)).string();
    m_OnDisk = true;
    return Assign(nullptr, 0);
}

bool CMemoryFile::Assign(const void* data, std::size_t size) {
#ifdef __linux__
    if (m_Fd >= 0) {
        if (::ftruncate(m_Fd, static_cast<off_t>(size)) != 0) {
            return false;
        }
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(m_Fd, bytes + done, size - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
#endif
    CFile file;
    return file.Open(m_Path, CFile::Mode::kCreate) && (size == 0 || file.WriteAt(0, data, size)) &&
           file.Close();
}

}  // namespace sonvara
