#include "audio/mpegheader.h"

#include <algorithm>

namespace sonvara {

namespace {

// kbit/s by row and bit-rate index; index 0 (free format) is 1, index 15 (forbidden) is 0.
constexpr std::int32_t kBitRates[6][16] = {
    {1, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {1, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {1, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {1, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {1, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

// Hz by sample-rate index, for MPEG-1, MPEG-2, MPEG-2.5.
constexpr std::int32_t kSampleRates[4][3] = {
    {44100, 22050, 11025},
    {48000, 24000, 12000},
    {32000, 16000, 8000},
    {0, 0, 0},
};

constexpr std::uint32_t kSyncMask = 0xFFE00000u;

}  // namespace

bool DecodeMpegHeader(std::uint32_t word, MP3FrameHeader& h) {
    h.headerWord = word;
    for (int bit = 31; bit >= 0; --bit) {
        h.headerText[31 - bit] = ((word >> bit) & 1u) != 0 ? '1' : '0';
    }
    h.headerText[32] = '\0';
    h.valid = false;
    if ((word & kSyncMask) != kSyncMask) {
        return false;
    }

    switch ((word >> 19) & 3u) {
        case 0: h.mpeg25 = true; break;
        case 1: h.reservedVersion = true; break;
        case 2: h.mpeg2 = true; break;
        default: h.mpeg1 = true; break;
    }
    switch ((word >> 17) & 3u) {
        case 0: h.reservedLayer = true; break;
        case 1: h.layer3 = true; break;
        case 2: h.layer2 = true; break;
        default: h.layer1 = true; break;
    }
    h.crcProtected = ((word >> 16) & 1u) == 0;
    const unsigned bitRateIndex = (word >> 12) & 0xFu;
    const unsigned sampleRateIndex = (word >> 10) & 3u;
    h.padding = ((word >> 9) & 1u) != 0;
    switch ((word >> 6) & 3u) {
        case 0: h.stereo = true; break;
        case 1: h.jointStereo = true; break;
        case 2: h.dualChannel = true; break;
        default: h.singleChannel = true; break;
    }

    int row = 5;
    if (h.mpeg1 && h.layer1) {
        row = 0;
    } else if (h.mpeg1 && h.layer2) {
        row = 1;
    } else if (h.mpeg1 && h.layer3) {
        row = 2;
    } else if ((h.mpeg2 || h.mpeg25) && h.layer1) {
        row = 3;
    } else if ((h.mpeg2 || h.mpeg25) && (h.layer2 || h.layer3)) {
        row = 4;
    }
    h.bitRate = kBitRates[row][bitRateIndex];

    const int column = h.mpeg1 ? 0 : h.mpeg2 ? 1 : h.mpeg25 ? 2 : -1;
    h.sampleRate = column < 0 ? 0 : kSampleRates[sampleRateIndex][column];

    const std::int32_t br = h.bitRate;
    const std::int32_t sr = h.sampleRate;
    const std::int32_t p = h.padding ? 1 : 0;
    h.frameLength = 0;
    if (sr > 0 && !h.reservedVersion && !h.reservedLayer) {
        if (h.layer1) {
            h.frameLength = (12000 * br / sr) * 4 + 4 * p;
        } else if (h.layer2 || h.mpeg1) {
            h.frameLength = 144000 * br / sr + p;
        } else {
            h.frameLength = 72000 * br / sr + p;
        }
    }

    if (h.reservedLayer || br == 0 || br == 1 || sr == 0) {
        return false;
    }
    // The bit-rate/mode pairs that MPEG-1 Layer II forbids; MPEG-2 and 2.5 have no such rule.
    if (h.layer2 && h.mpeg1) {
        const bool lowRate = br == 32 || br == 48 || br == 56 || br == 80;
        const bool highRate = br == 224 || br == 256 || br == 320 || br == 384;
        if ((lowRate && !h.singleChannel) || (highRate && h.singleChannel)) {
            return false;
        }
    }
    h.valid = true;
    return true;
}

int SamplesPerFrame(const MP3FrameHeader& h) {
    if (h.layer1) {
        return 384;
    }
    return h.layer3 && !h.mpeg1 ? 576 : 1152;
}

int SideInfoLength(const MP3FrameHeader& h) {
    return h.mpeg1 ? (h.singleChannel ? 17 : 32) : (h.singleChannel ? 9 : 17);
}

bool ReadXingHeader(const MP3FrameHeader& h, const unsigned char* body, std::size_t size,
                    XingHeader& xing) {
    const auto headerAt = [&](std::size_t side) {
        return side + 8 <= size && (std::equal(body + side, body + side + 4, "Xing") ||
                                    std::equal(body + side, body + side + 4, "Info"));
    };
    // LAME puts the header right after the side information even in a CRC-protected frame, as
    // if there were no CRC word; decoders look in both places.
    std::size_t side = static_cast<std::size_t>(SideInfoLength(h)) + (h.crcProtected ? 2 : 0);
    if (!headerAt(side)) {
        if (!h.crcProtected || !headerAt(side - 2)) {
            return false;
        }
        side -= 2;
    }
    xing.info = body[side] == 'I';
    xing.at = side;
    const auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(body[at]) << 24 | body[at + 1] << 16 | body[at + 2] << 8 |
               body[at + 3];
    };
    std::size_t at = side + 4;
    const std::uint32_t flags = word(at);
    at += 4;
    if ((flags & 1) != 0 && at + 4 <= size) {
        xing.frames = word(at);
        at += 4;
    }
    if ((flags & 2) != 0 && at + 4 <= size) {
        xing.bytes = word(at);
        at += 4;
    }
    xing.toc = (flags & 4) != 0;
    at += (flags & 4) != 0 ? 100 : 0;
    at += (flags & 8) != 0 ? 4 : 0;
    // The LAME tag: encoder delay and padding, 12 bits each, 21 bytes in.
    if (at + 24 <= size && std::equal(body + at, body + at + 4, "LAME")) {
        const std::size_t d = at + 21;
        xing.encoderDelay = body[d] << 4 | body[d + 1] >> 4;
        xing.encoderPadding = (body[d + 1] & 0x0F) << 8 | body[d + 2];
    }
    return true;
}

bool ReadVbriHeader(const unsigned char* body, std::size_t size, std::int64_t& frames,
                    std::int64_t& bytes) {
    constexpr std::size_t kAt = 32;  // 36 bytes into the frame
    if (kAt + 18 > size || !std::equal(body + kAt, body + kAt + 4, "VBRI")) {
        return false;
    }
    const auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(body[at]) << 24 | body[at + 1] << 16 | body[at + 2] << 8 |
               body[at + 3];
    };
    bytes = word(kAt + 10);
    frames = word(kAt + 14);
    return true;
}

}  // namespace sonvara
