#pragma once

#include <stdexcept>
#include <string>

namespace sonvara {

// A file that could not be created, written or completed. The cause numbers are the ones the
// callers have always used (13: the disk is full).
class CFileException : public std::runtime_error {
public:
    enum Cause {
        genericException = 1,
        accessDenied = 5,
        diskFull = 13,
    };

    CFileException(Cause cause, int osError, std::string fileName, const std::string& detail)
        : std::runtime_error(fileName + ": " + detail),
          m_cause(cause),
          m_lOsError(osError),
          m_strFileName(std::move(fileName)) {}

    Cause m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

}  // namespace sonvara
