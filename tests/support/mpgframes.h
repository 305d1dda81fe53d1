#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::test {

// One frame as libmpg123 decodes it: where it stood and its samples (16-bit, interleaved).
struct DecodedFrame {
    std::int64_t offset = 0;
    std::vector<std::int16_t> pcm;
};

// Decodes a whole MP3 file frame by frame with libmpg123, without gapless trimming (every
// frame gives all its samples; an Info/Xing frame gives none). errors counts what the decoder
// refused.
struct DecodedFile {
    std::vector<DecodedFrame> frames;
    std::int64_t samples = 0;  // per channel
    int channels = 0;
    int errors = 0;
};
DecodedFile DecodeFrames(const std::string& path);

}  // namespace sonvara::test
