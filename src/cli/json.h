#pragma once

#include <string>
#include <string_view>

namespace sonvara::cli {

// A JSON string literal (quotes included) for text that should be UTF-8: control characters
// as \uXXXX (or \n, \t, ...), and every byte that is not part of valid UTF-8 as U+FFFD, so the
// result is always valid JSON.
std::string JsonString(std::string_view text);

// A path as JSON members: "path": its text (as JsonString); and, only when the path is not
// valid UTF-8, "path_bytes": every byte of it in lower-case hex, which gives the exact name
// back (Python: bytes.fromhex(obj["path_bytes"])).
std::string JsonPathMembers(std::string_view path);

}  // namespace sonvara::cli
