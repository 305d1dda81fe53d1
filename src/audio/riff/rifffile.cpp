#include "audio/riff/rifffile.h"

#include <algorithm>
#include <cstring>

#include "audio/riff/littleendian.h"

namespace sonvara {

namespace {
bool HasFormType(std::uint32_t id) {
    return id == kFourccRiff || id == kFourccList;
}
}  // namespace

CRiffFile::CRiffFile() : m_Buffer(new unsigned char[kBufferSize]) {}

CRiffFile::~CRiffFile() {
    Close();
}

bool CRiffFile::Open(const std::string& path, Mode mode) {
    Close();
    m_Pos = 0;
    m_ReadLen = 0;
    m_WriteLen = 0;
    const CFile::Mode fileMode = mode == Mode::kRead        ? CFile::Mode::kRead
                                 : mode == Mode::kReadWrite ? CFile::Mode::kReadWrite
                                                            : CFile::Mode::kCreate;
    if (!m_File.Open(path, fileMode)) {
        return false;
    }
    m_KnownSize = m_File.Size();
    return m_KnownSize >= 0;
}

bool CRiffFile::Close() {
    if (!m_File.IsOpen()) {
        return true;
    }
    const bool written = WritePending();
    const bool closed = m_File.Close();
    m_ReadLen = 0;
    return written && closed;
}

bool CRiffFile::WritePending() {
    if (m_WriteLen == 0) {
        return true;
    }
    const bool ok = m_File.WriteAt(m_WriteStart, m_Buffer.get(), m_WriteLen);
    m_WriteLen = 0;
    return ok;
}

bool CRiffFile::Flush() {
    return WritePending();
}

std::int64_t CRiffFile::FileSize() {
    return std::max(m_KnownSize, m_WriteStart + static_cast<std::int64_t>(m_WriteLen));
}

bool CRiffFile::Seek(std::int64_t position) {
    if (position < 0 || !WritePending()) {
        return false;
    }
    m_Pos = position;
    return true;
}

bool CRiffFile::Truncate(std::int64_t size) {
    if (!WritePending() || !m_File.Truncate(size)) {
        return false;
    }
    m_KnownSize = size;
    m_ReadLen = 0;
    return true;
}

bool CRiffFile::Sync() {
    return WritePending() && m_File.Sync();
}

std::size_t CRiffFile::Read(void* buffer, std::size_t count) {
    if (!WritePending()) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t inBuffer = m_Pos - m_ReadStart;
        if (m_ReadLen > 0 && inBuffer >= 0 && inBuffer < static_cast<std::int64_t>(m_ReadLen)) {
            const std::size_t take =
                std::min(count - done, m_ReadLen - static_cast<std::size_t>(inBuffer));
            std::memcpy(out + done, m_Buffer.get() + inBuffer, take);
            done += take;
            m_Pos += static_cast<std::int64_t>(take);
            continue;
        }
        const std::size_t want = count - done;
        if (want >= kBufferSize) {
            // Large reads go straight into the caller's buffer.
            const std::size_t n = m_File.ReadAt(m_Pos, out + done, want);
            done += n;
            m_Pos += static_cast<std::int64_t>(n);
            break;
        }
        m_ReadStart = m_Pos;
        m_ReadLen = m_File.ReadAt(m_Pos, m_Buffer.get(), kBufferSize);
        if (m_ReadLen == 0) {
            break;
        }
    }
    return done;
}

bool CRiffFile::Write(const void* buffer, std::size_t count) {
    m_ReadLen = 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    if (m_WriteLen > 0 && m_WriteStart + static_cast<std::int64_t>(m_WriteLen) != m_Pos) {
        if (!WritePending()) {
            return false;
        }
    }
    if (m_WriteLen == 0) {
        m_WriteStart = m_Pos;
    }
    if (m_WriteLen + count > kBufferSize) {
        if (!WritePending()) {
            return false;
        }
        m_WriteStart = m_Pos;
        if (count >= kBufferSize) {
            if (!m_File.WriteAt(m_Pos, in, count)) {
                return false;
            }
            m_Pos += static_cast<std::int64_t>(count);
            m_KnownSize = std::max(m_KnownSize, m_Pos);
            return true;
        }
    }
    std::memcpy(m_Buffer.get() + m_WriteLen, in, count);
    m_WriteLen += count;
    m_Pos += static_cast<std::int64_t>(count);
    m_KnownSize = std::max(m_KnownSize, m_Pos);
    return true;
}

bool CRiffFile::Descend(RiffChunk& chunk, const RiffChunk* parent, unsigned flags) {
    if (!WritePending()) {
        return false;
    }
    std::int64_t limit = FileSize();
    if (parent != nullptr) {
        limit = std::min(limit, parent->dataOffset + static_cast<std::int64_t>(parent->size));
    }
    std::int64_t pos = m_Pos;
    for (;;) {
        if (pos < 0 || pos + 8 > limit) {
            return false;
        }
        unsigned char header[12];
        m_Pos = pos;
        const std::size_t headerLen = pos + 12 <= limit ? 12 : 8;
        if (Read(header, headerLen) != headerLen) {
            return false;
        }
        RiffChunk found;
        found.id = GetLE32(header);
        found.claimedSize = GetLE32(header + 4);
        found.dataOffset = pos + 8;
        const std::int64_t room = limit - found.dataOffset;
        found.size = static_cast<std::uint32_t>(std::min<std::int64_t>(found.claimedSize, room));
        const bool formed = HasFormType(found.id);
        if (formed) {
            if (headerLen < 12 || found.size < 4) {
                return false;
            }
            found.formType = GetLE32(header + 8);
        }
        bool match = true;
        if ((flags & kRiffFindRiff) != 0) {
            match = found.id == kFourccRiff && found.formType == chunk.formType;
        } else if ((flags & kRiffFindChunk) != 0) {
            match = found.id == chunk.id;
        }
        if (match) {
            chunk = found;
            m_Pos = found.dataOffset + (formed ? 4 : 0);
            return true;
        }
        pos = found.dataOffset + found.size + (found.size & 1u);
    }
}

bool CRiffFile::Ascend(RiffChunk& chunk) {
    if (!chunk.dirty) {
        return Seek(chunk.dataOffset + chunk.size + (chunk.size & 1u));
    }
    const std::int64_t size = m_Pos - chunk.dataOffset;
    if (size < 0 || size > 0xFFFFFFFFLL) {
        return false;  // a RIFF chunk cannot hold more than 4 GiB
    }
    if ((size & 1) != 0) {
        const unsigned char pad = 0;
        if (!Write(&pad, 1)) {
            return false;
        }
    }
    unsigned char field[4];
    PutLE32(field, static_cast<std::uint32_t>(size));
    const std::int64_t after = m_Pos;
    if (!Seek(chunk.dataOffset - 4) || !Write(field, 4) || !Seek(after)) {
        return false;
    }
    chunk.size = chunk.claimedSize = static_cast<std::uint32_t>(size);
    chunk.dirty = false;
    return true;
}

bool CRiffFile::CreateChunk(RiffChunk& chunk, unsigned flags) {
    if ((flags & kRiffCreateRiff) != 0) {
        chunk.id = kFourccRiff;
    }
    const bool formed = HasFormType(chunk.id);
    unsigned char header[12];
    PutLE32(header, chunk.id);
    PutLE32(header + 4, chunk.size);
    PutLE32(header + 8, chunk.formType);
    if (!Write(header, formed ? 12 : 8)) {
        return false;
    }
    chunk.dataOffset = m_Pos - (formed ? 4 : 0);
    chunk.dirty = true;
    return true;
}

bool CRiffFile::GetInfo(RiffWindow& window) {
    if (!WritePending()) {
        return false;
    }
    m_ReadLen = 0;
    m_WriteStart = m_Pos;
    window.next = m_Buffer.get();
    window.end = m_Buffer.get() + kBufferSize;
    return true;
}

bool CRiffFile::Advance(RiffWindow& window) {
    const auto filled = static_cast<std::size_t>(window.next - m_Buffer.get());
    if (filled > 0 && !m_File.WriteAt(m_WriteStart, m_Buffer.get(), filled)) {
        return false;
    }
    m_WriteStart += static_cast<std::int64_t>(filled);
    m_Pos = m_WriteStart;
    m_KnownSize = std::max(m_KnownSize, m_Pos);
    window.next = m_Buffer.get();
    window.end = m_Buffer.get() + kBufferSize;
    return true;
}

void CRiffFile::SetInfo(const RiffWindow& window) {
    m_WriteLen = static_cast<std::size_t>(window.next - m_Buffer.get());
    m_Pos = m_WriteStart + static_cast<std::int64_t>(m_WriteLen);
}

}  // namespace sonvara
