#pragma once

#include <functional>
#include <string>

namespace sonvara {

class IProgressSink;

// Normalises a WAV file that a conversion has just written: its peak is brought to 95 % of
// full scale through a new file made beside it under a temporary name (see CAtomicFile), which
// takes the file's place in one step once it is complete. A stop request or an error in either
// pass leaves the file as it was and removes the temporary file; the result is then false
// (error, when given, says why; empty for a stop). A silent file is left unchanged. formatType
// as for MP3 -> WAV (0 PCM, 1 IMA ADPCM). stage, when given, receives "Normalizing" and then "".
bool NormalizeFile(const std::string& file, int formatType, IProgressSink* sink,
                   const std::function<void(const std::string&)>& stage, std::string* error);

}  // namespace sonvara
