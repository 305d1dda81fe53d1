#pragma once

#include <cstdint>

namespace sonvara {

// One decoded MPEG audio frame header.
struct MP3FrameHeader {
    std::int32_t frameLength = 0;  // bytes in the whole frame, header included
    std::int32_t bitRate = 0;      // kbit/s; 1 free format, 0 forbidden or impossible
    std::int32_t sampleRate = 0;   // Hz; 0 reserved
    bool mpeg1 = false;
    bool mpeg2 = false;
    bool mpeg25 = false;
    bool reservedVersion = false;
    bool layer1 = false;
    bool layer2 = false;
    bool layer3 = false;
    bool reservedLayer = false;
    bool crcProtected = false;
    bool padding = false;
    bool stereo = false;
    bool jointStereo = false;
    bool dualChannel = false;
    bool singleChannel = false;
    char headerText[33] = {};  // the word as '0'/'1', most significant bit first
    std::uint32_t headerWord = 0;
    std::uint16_t storedCrc = 0;
    bool valid = false;
};

// Fills header from the 32-bit header word and returns its valid flag: the sync bits, a known
// layer, a bit rate that is neither free nor forbidden, a known sample rate, and (MPEG-1 Layer
// II only) a bit rate allowed for the channel mode.
bool DecodeMpegHeader(std::uint32_t word, MP3FrameHeader& header);

}  // namespace sonvara
