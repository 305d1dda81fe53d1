#pragma once

#include <cstdio>
#include <string>

namespace sonvara {

// True when the current user may not write the file. A path that cannot be found is not
// read-only (false).
bool IsReadOnlyPath(const std::string& path);

// True when the stream is attached to a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace sonvara
