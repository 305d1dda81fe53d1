#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"

namespace sonvara {

// One chunk as descend, ascend and create see it.
struct RiffChunk {
    std::uint32_t id = 0;
    std::uint32_t size = 0;         // data bytes; after a descend never more than the parent holds
    std::uint32_t claimedSize = 0;  // the size as the file states it
    std::uint32_t formType = 0;     // "RIFF" and "LIST" chunks
    std::int64_t dataOffset = 0;    // first data byte (for "RIFF"/"LIST": the form type)
    bool dirty = false;             // created here; ascending writes its real size
};

inline constexpr unsigned kRiffFindChunk = 0x10;   // descend: search for the chunk id
inline constexpr unsigned kRiffFindRiff = 0x20;    // descend: search for a RIFF of the form type
inline constexpr unsigned kRiffCreateRiff = 0x20;  // create: a RIFF chunk with the form type

// The buffer window of the write side: bytes are placed at next until end, then the window is
// advanced (written out).
struct RiffWindow {
    unsigned char* next = nullptr;
    unsigned char* end = nullptr;
};

// RIFF chunk navigation and buffered reading and writing over one file. Reads and searches
// never go outside the parent chunk or the file, whatever lengths the file claims.
class CRiffFile {
public:
    enum class Mode { kRead, kReadWrite, kCreate };
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CRiffFile();
    ~CRiffFile();
    CRiffFile(const CRiffFile&) = delete;
    CRiffFile& operator=(const CRiffFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    // Writes out pending bytes and closes; false when any of that failed.
    bool Close();
    bool IsOpen() const { return m_File.IsOpen(); }

    // Finds a chunk from the current position: with kRiffFindRiff a "RIFF" chunk whose form
    // type is chunk.formType, with kRiffFindChunk a chunk whose id is chunk.id, with neither
    // the chunk that starts here. Within parent when given, else within the file. On success
    // the position is the chunk's first data byte (after the form type for RIFF/LIST).
    bool Descend(RiffChunk& chunk, const RiffChunk* parent, unsigned flags);
    // Moves to the end of the chunk (past its pad byte). A chunk created here gets its real
    // size written and, when odd, a pad byte.
    bool Ascend(RiffChunk& chunk);
    // Writes a chunk header at the current position (with kRiffCreateRiff a "RIFF" chunk of
    // chunk.formType) and moves to its data.
    bool CreateChunk(RiffChunk& chunk, unsigned flags);

    std::size_t Read(void* buffer, std::size_t count);
    bool Write(const void* buffer, std::size_t count);
    bool Seek(std::int64_t position);
    std::int64_t Tell() const { return m_Pos; }
    // Writes out pending bytes.
    bool Flush();
    // Current size, pending bytes included.
    std::int64_t FileSize();
    bool Truncate(std::int64_t size);
    bool Sync();

    // The write window at the current position.
    bool GetInfo(RiffWindow& window);
    // Writes out the filled part of the window and gives a fresh one after it.
    bool Advance(RiffWindow& window);
    // Hands the window back: its filled part becomes pending bytes of the file.
    void SetInfo(const RiffWindow& window);

    int ErrorCode() const { return m_File.ErrorCode(); }
    std::string ErrorText() const { return m_File.ErrorText(); }
    bool DiskFull() const { return m_File.DiskFull(); }

private:
    bool WritePending();

    CFile m_File;
    std::unique_ptr<unsigned char[]> m_Buffer;
    std::int64_t m_Pos = 0;
    std::int64_t m_KnownSize = 0;
    // Read buffer: m_Buffer holds file bytes [m_ReadStart, m_ReadStart + m_ReadLen).
    std::int64_t m_ReadStart = 0;
    std::size_t m_ReadLen = 0;
    // Write buffer: m_Buffer holds m_WriteLen bytes that belong at m_WriteStart.
    std::int64_t m_WriteStart = 0;
    std::size_t m_WriteLen = 0;
};

}  // namespace sonvara
