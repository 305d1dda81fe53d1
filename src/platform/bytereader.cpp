#include "platform/bytereader.h"

#include <algorithm>
#include <cstring>

namespace sonvara {

CByteReader::CByteReader(std::size_t bufferSize)
    : m_Buffer(new unsigned char[bufferSize]), m_Capacity(bufferSize) {
    m_Cur = m_End = m_Buffer.get();
}

bool CByteReader::Open(const std::string& path) {
    m_Cur = m_End = m_Buffer.get();
    m_NextFill = 0;
    m_NeedSeek = false;
    return m_File.OpenRead(path);
}

bool CByteReader::Fill() {
    if (!m_File.IsOpen() || m_File.HasError()) {
        return false;
    }
    if (m_NeedSeek) {
        if (!m_File.Seek(m_NextFill)) {
            return false;
        }
        m_NeedSeek = false;
    }
    const std::size_t n = m_File.Read(m_Buffer.get(), m_Capacity);
    m_NextFill += static_cast<std::int64_t>(n);
    m_Cur = m_Buffer.get();
    m_End = m_Cur + n;
    return n > 0;
}

std::size_t CByteReader::ReadBlock(void* out, std::size_t count) {
    auto* dest = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < count) {
        if (m_Cur == m_End && !Fill()) {
            break;
        }
        const std::size_t take = std::min(count - done, static_cast<std::size_t>(m_End - m_Cur));
        std::memcpy(dest + done, m_Cur, take);
        m_Cur += take;
        done += take;
    }
    return done;
}

std::int64_t CByteReader::ReadSkip(std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        if (m_Cur == m_End && !Fill()) {
            break;
        }
        const std::int64_t take = std::min<std::int64_t>(count - done, m_End - m_Cur);
        m_Cur += take;
        done += take;
    }
    return done;
}

bool CByteReader::SeekForward(std::int64_t count) {
    if (count < 0) {
        return false;
    }
    if (count <= m_End - m_Cur) {
        m_Cur += count;
        return true;
    }
    // Past the buffered bytes: the next fill starts at the new position.
    const std::int64_t position = m_NextFill - (m_End - m_Cur);
    m_NextFill = position + count;
    m_NeedSeek = true;
    m_Cur = m_End = m_Buffer.get();
    return true;
}

std::int64_t CByteReader::SkipUntilByte(unsigned char value) {
    std::int64_t skipped = 0;
    for (;;) {
        if (m_Cur == m_End && !Fill()) {
            return skipped;
        }
        const auto* hit = static_cast<const unsigned char*>(
            std::memchr(m_Cur, value, static_cast<std::size_t>(m_End - m_Cur)));
        if (hit != nullptr) {
            skipped += hit - m_Cur;
            m_Cur = hit;
            return skipped;
        }
        skipped += m_End - m_Cur;
        m_Cur = m_End;
    }
}

}  // namespace sonvara
