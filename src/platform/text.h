#pragma once

#include <string>
#include <string_view>

namespace sonvara {

bool IsValidUtf8(std::string_view text);
// Each byte as the Latin-1 character it stands for, in UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// Text read from a file: kept when it is UTF-8, else taken as Latin-1.
std::string TextFromFile(std::string_view bytes);

}  // namespace sonvara
