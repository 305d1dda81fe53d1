#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/binaryfile.h"

namespace sonvara {

// Buffered reading of one file for the frame walk: single bytes, blocks, reading skips and
// forward seeks, with 64-bit positions. One fixed buffer, whatever the file size.
class CByteReader {
public:
    static constexpr std::size_t kDefaultBufferSize = 128 * 1024;

    explicit CByteReader(std::size_t bufferSize = kDefaultBufferSize);

    bool Open(const std::string& path);
    void Close() { m_File.Close(); }
    std::int64_t Size() const { return m_File.Size(); }

    // The next byte, or -1 at the end of the file.
    int ReadByte() {
        if (m_Cur == m_End && !Fill()) {
            return -1;
        }
        return *m_Cur++;
    }

    // Reads up to count bytes; returns how many arrived.
    std::size_t ReadBlock(void* out, std::size_t count);

    // Reads and discards up to count bytes, stopping at the end of the file; returns how many
    // were there.
    std::int64_t ReadSkip(std::int64_t count);

    // Moves forward like a seek on a regular file: it succeeds even past the end (where the
    // next read then finds the end). False only for a negative distance.
    bool SeekForward(std::int64_t count);

    // Passes over bytes that differ from value and stops before the first that equals it, or at
    // the end of the file. Returns the number of bytes passed over.
    std::int64_t SkipUntilByte(unsigned char value);

    bool HasError() const { return m_File.HasError(); }
    std::string ErrorText() const { return m_File.ErrorText(); }

private:
    bool Fill();

    CBinaryFile m_File;
    std::unique_ptr<unsigned char[]> m_Buffer;
    std::size_t m_Capacity;
    const unsigned char* m_Cur = nullptr;
    const unsigned char* m_End = nullptr;
    std::int64_t m_NextFill = 0;  // file offset the next fill reads from
    bool m_NeedSeek = false;
};

}  // namespace sonvara
