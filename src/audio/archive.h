#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace sonvara {

// Raised when an archive cannot be read or written.
class CArchiveException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A minimal serialisation archive: a stream of length-prefixed strings (32-bit little-endian
// byte count, then the UTF-8 bytes). One archive either stores or loads.
class CArchive {
public:
    explicit CArchive(std::ostream& out);
    explicit CArchive(std::istream& in);

    bool IsStoring() const { return m_Out != nullptr; }
    bool IsLoading() const { return m_In != nullptr; }

    CArchive& operator<<(const std::string& text);
    CArchive& operator>>(std::string& text);

private:
    std::ostream* m_Out = nullptr;
    std::istream* m_In = nullptr;
};

}  // namespace sonvara
