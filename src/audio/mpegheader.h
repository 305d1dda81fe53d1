#pragma once

#include <cstddef>
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

// Samples per channel in one frame: 384 (Layer I), 576 (Layer III of MPEG-2 and 2.5), 1152.
int SamplesPerFrame(const MP3FrameHeader& h);

// Bytes of Layer III side information after the header (and its CRC word).
int SideInfoLength(const MP3FrameHeader& h);

// What a Xing/Info header in the body of a Layer III frame states.
struct XingHeader {
    std::int64_t frames = -1;  // audio frames after the header frame
    std::int64_t bytes = -1;   // bytes of the stream, the header frame included
    int encoderDelay = -1;     // from a LAME tag: samples the encoder put in front
    int encoderPadding = -1;   // and after
    bool info = false;         // "Info" (constant bit rate) rather than "Xing"
    bool toc = false;          // a seek table follows the counts
    std::size_t at = 0;        // where "Xing"/"Info" stands in the body
};

// Reads the Xing/Info header from a frame's body (the bytes after its four header bytes);
// false when the body holds none.
bool ReadXingHeader(const MP3FrameHeader& h, const unsigned char* body, std::size_t size,
                    XingHeader& xing);

// What a VBRI header (36 bytes into a Layer III frame) states; false when there is none.
bool ReadVbriHeader(const unsigned char* body, std::size_t size, std::int64_t& frames,
                    std::int64_t& bytes);

}  // namespace sonvara
