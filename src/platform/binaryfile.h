#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace sonvara {

// A file opened for sequential binary reading with 64-bit positions. Only regular files are
// opened: a directory, FIFO or device is refused at once (opening never blocks).
class CBinaryFile {
public:
    bool OpenRead(const std::string& path);
    void Close() {
        m_File.Close();
        m_Size = 0;
    }
    bool IsOpen() const { return m_File.IsOpen(); }
    const CFile& File() const { return m_File; }

    // Size of the file when it was opened.
    std::int64_t Size() const { return m_Size; }
    // The size it has now (another program may have changed it); -1 on an error.
    std::int64_t CurrentSize() { return m_File.Size(); }

    // Reads up to count bytes; fewer at the end of the file; 0 at the end or on an error
    // (HasError tells which).
    std::size_t Read(void* buffer, std::size_t count);

    // Absolute reposition; a position past the end is allowed, as for any regular file.
    bool Seek(std::int64_t position);

    bool HasError() const { return m_File.ErrorCode() != 0; }
    int ErrorCode() const { return m_File.ErrorCode(); }
    std::string ErrorText() const { return m_File.ErrorText(); }

private:
    CFile m_File;
    std::int64_t m_Size = 0;
    std::int64_t m_Position = 0;
};

}  // namespace sonvara
