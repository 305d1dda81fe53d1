#include "audio/audiowavefile.h"

namespace sonvara {

// The RIFF chunk layer is not built yet: no WAVE file opens, and reading delivers nothing.
bool CAudioWaveFile::Open(std::uint32_t /*mode*/) { return false; }

void CAudioWaveFile::OpenStream() { Open(OPEN_PARSE); }

int CAudioWaveFile::Read(std::size_t, std::size_t, void*, std::size_t) { return -1; }

}  // namespace sonvara
