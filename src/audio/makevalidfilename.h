#pragma once

#include <string>

namespace sonvara {

// Replaces each of the nine characters \ / : * ? " < > | in the name part of an output path by
// an underscore, so the name is valid on every file system a user copies it to. With
// keepDirectory, everything up to the last separator is copied unchanged; without it the whole
// text is the name part. The folder part is never cut; a name part too long for the platform
// (255 bytes on Linux, a 259-character path on Windows) is cut before its extension at a
// character boundary.
std::string MakeValidFileName(const std::string& path, bool keepDirectory);

}  // namespace sonvara
