#include "platform/mappedfile.h"

#include <limits>

#include "platform/file.h"

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace sonvara {

#ifdef _WIN32

// Files are read, not mapped, on Windows.
bool CMappedFile::Map(const CFile&, std::int64_t) {
    return false;
}

void CMappedFile::Unmap() {}

#else

bool CMappedFile::Map(const CFile& file, std::int64_t size) {
    Unmap();
    if (!file.IsOpen() || size <= 0 ||
        static_cast<std::uint64_t>(size) > std::numeric_limits<std::size_t>::max()) {
        return false;
    }
    const auto bytes = static_cast<std::size_t>(size);
    void* data = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED, file.NativeHandle(), 0);
    if (data == MAP_FAILED) {
        return false;
    }
    // Read-ahead in large steps, and pages behind the reader may go first.
    ::madvise(data, bytes, MADV_SEQUENTIAL);
    m_Data = static_cast<const unsigned char*>(data);
    m_Size = bytes;
    return true;
}

void CMappedFile::Unmap() {
    if (m_Data != nullptr) {
        ::munmap(const_cast<unsigned char*>(m_Data), m_Size);
        m_Data = nullptr;
        m_Size = 0;
    }
}

#endif

}  // namespace sonvara
