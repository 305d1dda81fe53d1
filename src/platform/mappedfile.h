#pragma once

#include <cstddef>
#include <cstdint>

namespace sonvara {

class CFile;

// The bytes of an open regular file, mapped read-only into memory and advised for sequential
// reading: the pages are the system's file cache, read in place, never copied to our heap.
// Reading a page the file no longer has (it was cut short after mapping) raises a bus error:
// every read of the bytes must run inside RunReadGuarded (platform/faultguard.h).
class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile() { Unmap(); }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // Maps the first size bytes of file. False, with nothing mapped, for an empty file, a size
    // the address space cannot hold, or when the system refuses (then read the file instead).
    bool Map(const CFile& file, std::int64_t size);
    void Unmap();

    bool IsMapped() const { return m_Data != nullptr; }
    const unsigned char* Data() const { return m_Data; }
    std::size_t Size() const { return m_Size; }

private:
    const unsigned char* m_Data = nullptr;
    std::size_t m_Size = 0;
};

}  // namespace sonvara
