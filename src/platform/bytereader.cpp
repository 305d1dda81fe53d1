#include "platform/bytereader.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace sonvara {

namespace {

constexpr const char* kCutShort = "the file was cut short while it was read";
constexpr const char* kPageLost = "Input/output error";

std::atomic<ReadMethod>& MethodSetting() {
    static std::atomic<ReadMethod> method = [] {
        const char* env = std::getenv("SONVARA_READ");
        return env != nullptr && std::strcmp(env, "map") == 0 ? ReadMethod::kMap
                                                              : ReadMethod::kCopy;
    }();
    return method;
}

}  // namespace

ReadMethod DefaultReadMethod() {
    return MethodSetting().load(std::memory_order_relaxed);
}

void SetDefaultReadMethod(ReadMethod method) {
    MethodSetting().store(method, std::memory_order_relaxed);
}

CByteReader::CByteReader(std::size_t bufferSize) : m_Capacity(bufferSize) {}

bool CByteReader::Open(const std::string& path, ReadMethod method) {
    Close();
    if (!m_File.OpenRead(path)) {
        return false;
    }
    if (method == ReadMethod::kMap && m_Map.Map(m_File.File(), m_File.Size())) {
        m_Cur = m_Map.Data();
        m_End = m_Cur + m_Map.Size();
        m_NextFill = m_File.Size();
        return true;
    }
    // No larger than the file needs: a small file does not pay for a large buffer.
    const auto size = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(m_Capacity), std::max<std::int64_t>(m_File.Size(), 4096)));
    if (!m_Buffer || m_BufferSize != size) {
        m_Buffer.reset(new unsigned char[size]);
        m_BufferSize = size;
    }
    m_Cur = m_End = m_Buffer.get();
    return true;
}

void CByteReader::Close() {
    m_Map.Unmap();
    m_File.Close();
    m_Cur = m_End = nullptr;
    m_NextFill = 0;
    m_NeedSeek = false;
    m_Lost = nullptr;
}

bool CByteReader::Fill() {
    // A mapped file is all there from the start: its end is the end.
    if (m_Map.IsMapped() || !m_File.IsOpen() || HasError()) {
        return false;
    }
    if (m_NeedSeek) {
        if (!m_File.Seek(m_NextFill)) {
            return false;
        }
        m_NeedSeek = false;
    }
    const std::size_t n = m_File.Read(m_Buffer.get(), m_BufferSize);
    if (n == 0 && !m_File.HasError() && m_NextFill < m_File.Size()) {
        m_Lost = kCutShort;  // the end came before the size the file had when it was opened
    }
    m_NextFill += static_cast<std::int64_t>(n);
    m_Cur = m_Buffer.get();
    m_End = m_Cur + n;
    return n > 0;
}

void CByteReader::LostPages() {
    // The mapping has a hole: the file is shorter now than when it was mapped, or the system
    // could not read a page of it.
    const std::int64_t now = m_File.CurrentSize();
    m_Lost = now >= 0 && now < m_File.Size() ? kCutShort : kPageLost;
    m_Cur = m_End;  // nothing more is read from the mapping
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
    if (m_Map.IsMapped()) {
        m_Cur = m_End;  // past the end of the file
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
