#include "audio/audiompegfile.h"

namespace sonvara {

// The decoder layer is not built yet: no MPEG file opens, and reading delivers nothing.
bool CAudioMpegFile::Open(std::uint32_t /*mode*/) { return false; }

int CAudioMpegFile::Read(std::size_t, std::size_t, void*, std::size_t) { return -1; }

}  // namespace sonvara
