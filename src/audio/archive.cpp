#include "audio/archive.h"

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>

namespace sonvara {

namespace {
// No string the program stores comes near this; a larger count means a damaged archive.
constexpr std::uint32_t kMaxStringBytes = 1u << 24;
}  // namespace

CArchive::CArchive(std::ostream& out) : m_Out(&out) {}
CArchive::CArchive(std::istream& in) : m_In(&in) {}

CArchive& CArchive::operator<<(const std::string& text) {
    if (m_Out == nullptr) {
        throw CArchiveException("archive is not open for storing");
    }
    if (text.size() > kMaxStringBytes) {
        throw CArchiveException("string too long for the archive");
    }
    const auto size = static_cast<std::uint32_t>(text.size());
    const char prefix[4] = {static_cast<char>(size & 0xFF), static_cast<char>((size >> 8) & 0xFF),
                            static_cast<char>((size >> 16) & 0xFF),
                            static_cast<char>((size >> 24) & 0xFF)};
    m_Out->write(prefix, 4);
    m_Out->write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!*m_Out) {
        throw CArchiveException("cannot write to the archive");
    }
    return *this;
}

CArchive& CArchive::operator>>(std::string& text) {
    if (m_In == nullptr) {
        throw CArchiveException("archive is not open for loading");
    }
    unsigned char prefix[4];
    if (!m_In->read(reinterpret_cast<char*>(prefix), 4)) {
        throw CArchiveException("archive ends early");
    }
    const std::uint32_t size = prefix[0] | (prefix[1] << 8) | (prefix[2] << 16) |
                               (static_cast<std::uint32_t>(prefix[3]) << 24);
    if (size > kMaxStringBytes) {
        throw CArchiveException("damaged archive: string length out of range");
    }
    std::string value(size, '\0');
    if (!m_In->read(value.data(), static_cast<std::streamsize>(size))) {
        throw CArchiveException("archive ends early");
    }
    text = std::move(value);
    return *this;
}

}  // namespace sonvara
