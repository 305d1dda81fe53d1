#pragma once

#include <cstdint>

#include "support/testfiles.h"

namespace sonvara::test {

enum class MpegVersion { k1, k2, k25 };

// One hand-built MPEG audio frame header. Defaults: MPEG-1 Layer III, 128 kbit/s, 44100 Hz,
// joint stereo, no padding, no CRC.
struct FrameShape {
    MpegVersion version = MpegVersion::k1;
    int layer = 3;
    int bitRateIndex = 9;
    int sampleRateIndex = 0;
    bool padding = false;
    bool crc = false;
    int mode = 1;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
};

std::uint32_t HeaderWord(const FrameShape& shape);

// Bit rate and sample rate from the ISO tables, and the frame length they give; 0 where the
// combination has none.
int BitRateKbps(const FrameShape& shape);
int SampleRateHz(const FrameShape& shape);
int FrameLength(const FrameShape& shape);
// Layer II forbids some bit rates in some channel modes.
bool LayerTwoModeAllowed(const FrameShape& shape);

// A whole frame: header, the CRC word when protected, and a body that holds no 0xFF byte.
Bytes MakeFrame(const FrameShape& shape);
// count frames back to back.
Bytes MakeStream(const FrameShape& shape, int count);

// An ID3 version 2 tag header with the given (28-bit) size, followed by size bytes of text.
Bytes MakeId3v2Tag(std::uint32_t size);

}  // namespace sonvara::test
