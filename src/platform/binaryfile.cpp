#include "platform/binaryfile.h"

namespace sonvara {

bool CBinaryFile::OpenRead(const std::string& path) {
    m_Position = 0;
    m_Size = 0;
    if (!m_File.Open(path, CFile::Mode::kRead)) {
        return false;
    }
    m_Size = m_File.Size();
    return m_Size >= 0;
}

std::size_t CBinaryFile::Read(void* buffer, std::size_t count) {
    const std::size_t n = m_File.ReadAt(m_Position, buffer, count);
    m_Position += static_cast<std::int64_t>(n);
    return n;
}

bool CBinaryFile::Seek(std::int64_t position) {
    if (position < 0) {
        return false;
    }
    m_Position = position;
    return true;
}

}  // namespace sonvara
