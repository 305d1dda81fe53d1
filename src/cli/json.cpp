#include "cli/json.h"

#include <cstdio>

#include "platform/text.h"

namespace sonvara::cli {

namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
        return 0;
    }
    return IsValidUtf8(text.substr(i, n)) ? n : 0;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(text.substr(i, n));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
        i += n;
    }
    return out + "\"";
}

std::string JsonPathMembers(std::string_view path) {
    std::string out = "\"path\":" + JsonString(path);
    if (!IsValidUtf8(path)) {
        out += ",\"path_bytes\":\"";
        static const char kHex[] = "0123456789abcdef";
        for (const char ch : path) {
            const auto c = static_cast<unsigned char>(ch);
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        out += '"';
    }
    return out;
}

}  // namespace sonvara::cli
