#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"

namespace sonvara {

// What the conversion jobs hand to the MP3 encoder.
struct EncoderSettings {
    std::string title;  // UTF-8
    std::string artist;
    std::string album;
    // The file whose other tags the new file gets (see MakeOutputId3v2Tag); none when empty.
    std::string tagSource;
    bool tagSourceIsWav = false;
    std::int32_t bitRate = 128;  // kbit/s, one of the MPEG-1 Layer III rates
    std::int32_t quality = 5;    // 0 best ... 9 fastest
    bool vbr = false;
};

// The bit rates MPEG-1 Layer III has at 44100 Hz.
bool IsLayerThreeBitRate(std::int32_t kbps);

// The 128-byte ID3 version 1 image of a new file: "TAG", title, artist and album padded with
// spaces to 30 characters (Latin-1; other characters as '?'), four spaces of year, 30 spaces of
// comment, genre 255 (none). Empty when no text was given. The texts in full, and the source's
// other tags, go into the ID3 version 2.4 tag at the start of the file.
std::vector<std::uint8_t> MakeId3v1Image(const EncoderSettings& settings);

// MPEG-1 Layer III encoding of 44100 Hz 16-bit stereo PCM over LAME. Every failure (an
// illegal bit rate, parameters the library would change, a file that cannot be created or
// written) is raised as CFileException; nothing ends the process. Each encoder keeps its own
// buffers, so several can run at once.
class CMP3Encoder {
public:
    CMP3Encoder();
    ~CMP3Encoder();
    CMP3Encoder(const CMP3Encoder&) = delete;
    CMP3Encoder& operator=(const CMP3Encoder&) = delete;

    // Returns the output name actually used (made valid for every file system).
    std::string CreateOutput(const std::string& path, const EncoderSettings& settings,
                             std::uint64_t samplesPerChannel);
    void EncodeSamples(const void* data, std::size_t bytes);
    void Finish();

    // The VBR range set for a bit rate: the neighbours in the range table, kept within
    // 32..320 kbit/s.
    static void VbrRange(std::int32_t kbps, std::int32_t& minimum, std::int32_t& maximum);

private:
    void EncodeFrame(const std::int16_t* interleaved, int frames);
    void WriteOut(const unsigned char* bytes, std::size_t count);
    [[noreturn]] void Raise(const std::string& what, bool diskFull = false);
    void Release();

    struct Lame;
    std::unique_ptr<Lame> m_Lame;
    CFile m_File;
    std::string m_FileName;
    std::int64_t m_Written = 0;
    std::vector<unsigned char> m_Output;  // encoded bytes from one call
    std::vector<std::int16_t> m_Pending;  // fewer than one frame of stereo pairs
    std::vector<std::int16_t> m_Left;
    std::vector<std::int16_t> m_Right;
    std::vector<std::uint8_t> m_Tag;
    std::vector<std::uint8_t> m_Id3v2;  // at the start; the audio follows it
    bool m_Vbr = false;
};

}  // namespace sonvara
