#pragma once

#include <cstdint>

#include "audio/wavecodec/waveformat.h"

namespace sonvara {

// Bit-rate index (0..8) to kbit/s: 64, 96, 128, 160, 192, 256, 320, 384, 448; -1 outside.
std::int32_t BitRateForIndex(int index);
// Quality index (0..2) to the encoder's quality value: 5, 9, 2; -1 outside.
std::int32_t QualityForIndex(int index);
// Output format of MP3 -> WAV and of normalising: type 0 and 2 PCM 44100 Hz 16-bit stereo,
// 1 IMA ADPCM; any other type gives an empty block (format tag 0), which no writer accepts.
WaveFormat OutputFormatForType(int formatType);

}  // namespace sonvara
