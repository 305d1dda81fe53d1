#pragma once

#include <cstddef>
#include <string>

namespace sonvara {

// A regular file that lives in memory only and is reached by a path like any other (the fuzz
// targets hand their inputs to readers that open paths). On Linux an anonymous memory file
// (memfd) behind /proc/self/fd/N; elsewhere a file in the temporary folder.
class CMemoryFile {
public:
    CMemoryFile() = default;
    ~CMemoryFile();
    CMemoryFile(const CMemoryFile&) = delete;
    CMemoryFile& operator=(const CMemoryFile&) = delete;

    // name is for the system's listings only; extension ends the fallback file's name.
    bool Create(const std::string& name, const std::string& extension);
    // Makes the file hold exactly these bytes.
    bool Assign(const void* data, std::size_t size);
    const std::string& Path() const { return m_Path; }

private:
    int m_Fd = -1;
    std::string m_Path;
    bool m_OnDisk = false;
};

}  // namespace sonvara
