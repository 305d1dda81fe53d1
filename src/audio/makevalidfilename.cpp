#include "audio/makevalidfilename.h"

#include <string_view>

#include "platform/paths.h"

namespace sonvara {

namespace {

#ifdef _WIN32
constexpr std::size_t kMaxPathChars = 259;
#else
constexpr std::size_t kMaxNameBytes = 255;
#endif

bool IsForbidden(char c) {
    switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|': return true;
        default: return false;
    }
}

// Cuts the stem so that stem + extension fits in maxBytes; the extension survives when it can.
std::string FitName(const std::string& name, std::size_t maxBytes) {
    if (name.size() <= maxBytes) {
        return name;
    }
    const std::string_view ext = Extension(name);
    if (ext.size() >= maxBytes) {
        return name.substr(0, Utf8CutLength(name, maxBytes));
    }
    const std::string_view stem = std::string_view(name).substr(0, name.size() - ext.size());
    const std::size_t keep = Utf8CutLength(stem, maxBytes - ext.size());
    return std::string(stem.substr(0, keep)) + std::string(ext);
}

}  // namespace

std::string MakeValidFileName(const std::string& path, bool keepDirectory) {
    std::size_t nameStart = 0;
    if (keepDirectory) {
        const std::size_t sep = LastSeparator(path);
        nameStart = sep == std::string::npos ? 0 : sep + 1;
    }
    std::string name = path.substr(nameStart);
    for (char& c : name) {
        if (IsForbidden(c)) {
            c = '_';
        }
    }
#ifdef _WIN32
    const std::size_t room = nameStart < kMaxPathChars ? kMaxPathChars - nameStart : 0;
    name = FitName(name, room);
#else
    name = FitName(name, kMaxNameBytes);
#endif
    return path.substr(0, nameStart) + name;
}

}  // namespace sonvara
