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

// What a loudness normalisation did.
struct LoudnessNormalizeResult {
    bool measured = false;  // false: silent or too short, left as it was (why says it)
    std::string why;
    double before = 0;    // integrated loudness (LUFS) as written
    double gainDb = 0;    // the gain applied
    double after = 0;     // integrated loudness (LUFS) now
    bool reached = true;  // false when the ceiling held the gain below the target
};

// The true-peak ceiling of loudness normalisation: no clipping, no limiter.
inline constexpr double kTruePeakCeilingDbtp = -1.0;

// Normalises a WAV file the same way to an integrated loudness (EBU R 128) of targetLufs:
// the gain is target - measured, limited so that the true peak stays at or below -1 dBTP.
// The result says what was done; a silent or too short file is left unchanged.
bool NormalizeFileToLoudness(const std::string& file, int formatType, double targetLufs,
                             IProgressSink* sink,
                             const std::function<void(const std::string&)>& stage,
                             std::string* error, LoudnessNormalizeResult* result);

}  // namespace sonvara
