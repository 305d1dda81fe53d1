#include "support/mpegframes.h"

namespace sonvara::test {

namespace {

int VersionBits(MpegVersion v) {
    switch (v) {
        case MpegVersion::k1: return 3;
        case MpegVersion::k2: return 2;
        case MpegVersion::k25: return 0;
    }
    return 1;
}

}  // namespace

std::uint32_t HeaderWord(const FrameShape& s) {
    std::uint32_t w = 0xFFE00000u;
    w |= static_cast<std::uint32_t>(VersionBits(s.version)) << 19;
    w |= static_cast<std::uint32_t>(4 - s.layer) << 17;  // Layer I = 11, II = 10, III = 01
    w |= (s.crc ? 0u : 1u) << 16;
    w |= static_cast<std::uint32_t>(s.bitRateIndex & 0xF) << 12;
    w |= static_cast<std::uint32_t>(s.sampleRateIndex & 3) << 10;
    w |= (s.padding ? 1u : 0u) << 9;
    w |= static_cast<std::uint32_t>(s.mode & 3) << 6;
    return w;
}

int BitRateKbps(const FrameShape& s) {
    // ISO/IEC 11172-3 and 13818-3 bit-rate tables.
    static const int v1[3][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    };
    static const int v2l1[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
    static const int v2l23[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    if (s.bitRateIndex <= 0 || s.bitRateIndex >= 15 || s.layer < 1 || s.layer > 3) {
        return 0;
    }
    if (s.version == MpegVersion::k1) {
        return v1[s.layer - 1][s.bitRateIndex];
    }
    return s.layer == 1 ? v2l1[s.bitRateIndex] : v2l23[s.bitRateIndex];
}

int SampleRateHz(const FrameShape& s) {
    static const int rates[3] = {44100, 48000, 32000};
    if (s.sampleRateIndex < 0 || s.sampleRateIndex > 2) {
        return 0;
    }
    const int base = rates[s.sampleRateIndex];
    switch (s.version) {
        case MpegVersion::k1: return base;
        case MpegVersion::k2: return base / 2;
        case MpegVersion::k25: return base / 4;
    }
    return 0;
}

int FrameLength(const FrameShape& s) {
    const int br = BitRateKbps(s);
    const int sr = SampleRateHz(s);
    if (br == 0 || sr == 0) {
        return 0;
    }
    const int p = s.padding ? 1 : 0;
    if (s.layer == 1) {
        return (12 * br * 1000 / sr + p) * 4;
    }
    const int samples = (s.layer == 3 && s.version != MpegVersion::k1) ? 576 : 1152;
    return samples / 8 * br * 1000 / sr + p;
}

bool LayerTwoModeAllowed(const FrameShape& s) {
    // Only MPEG-1 Layer II ties bit rates to channel modes.
    if (s.layer != 2 || s.version != MpegVersion::k1) {
        return true;
    }
    const int br = BitRateKbps(s);
    const bool mono = s.mode == 3;
    if (br == 32 || br == 48 || br == 56 || br == 80) {
        return mono;
    }
    if (br == 224 || br == 256 || br == 320 || br == 384) {
        return !mono;
    }
    return true;
}

Bytes MakeFrame(const FrameShape& s) {
    const int length = FrameLength(s);
    const std::uint32_t w = HeaderWord(s);
    Bytes frame = {static_cast<std::uint8_t>(w >> 24), static_cast<std::uint8_t>(w >> 16),
                   static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w)};
    if (s.crc) {
        frame.push_back(0x12);
        frame.push_back(0x34);
    }
    for (int i = static_cast<int>(frame.size()); i < length; ++i) {
        frame.push_back(static_cast<std::uint8_t>((i * 37) & 0x7F));
    }
    return frame;
}

Bytes MakeStream(const FrameShape& shape, int count) {
    Bytes out;
    const Bytes frame = MakeFrame(shape);
    for (int i = 0; i < count; ++i) {
        Append(out, frame);
    }
    return out;
}

Bytes MakeId3v2Tag(std::uint32_t size) {
    Bytes tag = {'I',
                 'D',
                 '3',
                 3,
                 0,
                 0,
                 static_cast<std::uint8_t>((size >> 21) & 0x7F),
                 static_cast<std::uint8_t>((size >> 14) & 0x7F),
                 static_cast<std::uint8_t>((size >> 7) & 0x7F),
                 static_cast<std::uint8_t>(size & 0x7F)};
    for (std::uint32_t i = 0; i < size; ++i) {
        tag.push_back(static_cast<std::uint8_t>('a' + i % 26));
    }
    return tag;
}

}  // namespace sonvara::test
