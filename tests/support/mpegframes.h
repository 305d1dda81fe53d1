#pragma once

#include <cstdint>

#include "support/testfiles.h"

namespace sonvara::test {

enum class MpegVersion { k1, k2, k25 };

// One hand-built MPEG audio frame header. Defaults: MPEG-1 Layer III, 128 kbit/s, 44100 Hz,
// joint stereo, no padding, no CRC.
struct FrameSpec {
    MpegVersion version = MpegVersion::k1;
    int layer = 3;
    int bitRateIndex = 9;
    int sampleRateIndex = 0;
    bool padding = false;
    bool crc = false;
    int mode = 1;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
};

std::uint32_t HeaderWord(const FrameSpec& spec);

// Bit rate and sample rate from the ISO tables, and the frame length they give; 0 where the
// combination has none.
int BitRateKbps(const FrameSpec& spec);
int SampleRateHz(const FrameSpec& spec);
int FrameLength(const FrameSpec& spec);
// Layer II forbids some bit rates in some channel modes.
bool LayerTwoModeAllowed(const FrameSpec& spec);

// A whole frame: header, the CRC word when protected, and a body that holds no 0xFF byte.
Bytes MakeFrame(const FrameSpec& spec);
// count frames back to back.
Bytes MakeStream(const FrameSpec& spec, int count);

// An ID3 version 2 tag header with the given (28-bit) size, followed by size bytes of text.
Bytes MakeId3v2Tag(std::uint32_t size);

}  // namespace sonvara::test
