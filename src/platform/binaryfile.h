#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

// A file opened for binary reading with 64-bit positions. Only regular files are opened: a
// directory, FIFO or device is refused at once (opening never blocks).
class CBinaryFile {
public:
    CBinaryFile() = default;
    ~CBinaryFile();
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    bool OpenRead(const std::string& path);
    void Close();
    bool IsOpen() const;

    // Size of the file when it was opened.
    std::int64_t Size() const { return m_Size; }

    // Reads up to count bytes; fewer at the end of the file; 0 at the end or on an error
    // (HasError tells which).
    std::size_t Read(void* buffer, std::size_t count);

    // Absolute reposition; a position past the end is allowed, as for any regular file.
    bool Seek(std::int64_t position);

    bool HasError() const { return m_ErrorCode != 0; }
    int ErrorCode() const { return m_ErrorCode; }
    // The system's text for the last error ("No such file or directory", ...).
    std::string ErrorText() const;

private:
    void SetError(int code, const char* text = nullptr);

#ifdef _WIN32
    void* m_Handle = nullptr;
#else
    int m_Fd = -1;
#endif
    std::int64_t m_Size = 0;
    int m_ErrorCode = 0;
    const char* m_ErrorText = nullptr;  // replaces the system's text where it would mislead
};

}  // namespace sonvara
