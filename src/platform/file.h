#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

// An unbuffered file with 64-bit positions, for the RIFF layer and the writers. Opening never
// blocks: anything but a regular file is refused. Errors keep the system's code.
class CFile {
public:
    enum class Mode {
        kRead,       // existing file, read only
        kReadWrite,  // existing file, read and write
        kCreate,     // create or truncate, read and write
        kCreateNew,  // create a file that must not exist yet, read and write
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    // Closes; false when the system reports an error on closing (data may not have reached
    // the disk).
    bool Close();
    bool IsOpen() const { return m_Fd >= 0; }
    // The system's descriptor, for the platform layer's own use (mapping).
    int NativeHandle() const { return m_Fd; }

    // Reads up to count bytes at position; returns how many arrived (0 at the end or on an
    // error).
    std::size_t ReadAt(std::int64_t position, void* buffer, std::size_t count);
    // Writes all count bytes at position, or fails (disk full, file too large, I/O error).
    bool WriteAt(std::int64_t position, const void* buffer, std::size_t count);
    std::int64_t Size();
    bool Truncate(std::int64_t size);
    // Pushes written data to the disk.
    bool Sync();

    int ErrorCode() const { return m_ErrorCode; }
    std::string ErrorText() const;
    // The last error was a full disk or a file-size limit.
    bool DiskFull() const;

private:
    void SetError(int code, const char* text = nullptr);

    int m_Fd = -1;
    int m_ErrorCode = 0;
    const char* m_ErrorText = nullptr;
};

}  // namespace sonvara
