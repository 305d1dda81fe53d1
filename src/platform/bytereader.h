#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/binaryfile.h"
#include "platform/faultguard.h"
#include "platform/mappedfile.h"

namespace sonvara {

// How a reader gets at the bytes of a regular file.
enum class ReadMethod {
    kCopy,  // read calls into one fixed buffer
    kMap,   // a read-only mapping, read in place; a file that cannot be mapped is copied
};

// The method of readers not told otherwise. Copying, unless SONVARA_READ=map is in the
// environment at the first call: mapping saves the copy but pays for every page it maps, and
// on the virtual machines this program is measured on (bench/analyze_vs_mp3val.sh,
// bench/window_scale.sh run both) a mapped page costs three to four times what copying it
// does. Where mapping wins, it is one switch.
ReadMethod DefaultReadMethod();
void SetDefaultReadMethod(ReadMethod method);

// Reading of one file for the frame walks: single bytes, blocks, reading skips and forward
// seeks, with 64-bit positions, over one fixed buffer whatever the file size, or over the
// mapped file. Either way a file cut short by another program while it is read gives a read
// error (HasError) with its reason, never a crash: a walk over a mapped file runs inside Walk.
class CByteReader {
public:
    static constexpr std::size_t kDefaultBufferSize = 128 * 1024;

    explicit CByteReader(std::size_t bufferSize = kDefaultBufferSize);

    // Opens the file to be read by method.
    bool Open(const std::string& path, ReadMethod method = DefaultReadMethod());
    void Close();
    // Size of the file when it was opened.
    std::int64_t Size() const { return m_File.Size(); }
    bool IsMapped() const { return m_Map.IsMapped(); }

    // Runs walk(), which reads through this reader. When the mapped file loses pages under
    // it, walk ends at that read and the reader has a read error. The rule of RunReadGuarded
    // holds for walk: no object with a destructor on its stack while it reads.
    template <class WalkFn>
    void Walk(WalkFn& walk) {
        if (!IsMapped()) {
            walk();
        } else if (!RunReadGuarded(m_Map.Data(), m_Map.Size(), walk)) {
            LostPages();
        }
    }

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

    bool HasError() const { return m_File.HasError() || m_Lost != nullptr; }
    std::string ErrorText() const { return m_Lost != nullptr ? m_Lost : m_File.ErrorText(); }

private:
    bool Fill();
    void LostPages();

    CBinaryFile m_File;
    CMappedFile m_Map;
    std::unique_ptr<unsigned char[]> m_Buffer;  // only for a file that is read
    std::size_t m_BufferSize = 0;
    std::size_t m_Capacity;  // the most the buffer holds
    const unsigned char* m_Cur = nullptr;
    const unsigned char* m_End = nullptr;
    std::int64_t m_NextFill = 0;  // file offset the next fill reads from
    bool m_NeedSeek = false;
    const char* m_Lost = nullptr;  // why the file's bytes stopped arriving early
};

}  // namespace sonvara
