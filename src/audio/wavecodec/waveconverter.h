#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/wavecodec/sincresampler.h"
#include "audio/wavecodec/waveformat.h"

namespace sonvara {

// A stream converter between two wave formats:
//   decoding: PCM of 8 (unsigned), 16, 24 or 32 bits, IEEE float of 32 or 64 bits, A-law,
//     mu-law, IMA ADPCM, Microsoft ADPCM, and WAVE_FORMAT_EXTENSIBLE around PCM or float, with
//     1 or 2 channels at 1000 to 192000 Hz, to PCM 44100 Hz 16-bit stereo;
//   encoding: PCM 44100 Hz 16-bit stereo to IMA ADPCM (stereo, 44100 Hz) or to itself.
// Conversion is block-aligned: only whole source blocks are used, unless the call is the last.
class CWaveConverter {
public:
    // False when there is no conversion between the two; Why() then says what is missing.
    bool Open(const WaveFormat& source, const WaveFormat& destination);
    void Close();
    bool IsOpen() const { return m_Kind != Kind::kNone; }
    const std::string& Why() const { return m_Why; }

    // Destination bytes that converting sourceBytes can give at the most.
    std::size_t DestinationSize(std::size_t sourceBytes) const;

    // Decoding stops after this many source frames (a "fact" chunk's count); 0: no limit.
    void SetSourceFrameLimit(std::uint64_t frames) { m_FrameLimit = frames; }

    // Converts from source into destination. sourceUsed: the bytes taken (whole blocks;
    // everything when last is set, the final partial block padded or decoded as far as it
    // goes). destinationUsed: the bytes written. Output that did not fit is kept for the next
    // call.
    void Convert(const std::uint8_t* source, std::size_t sourceSize, std::size_t& sourceUsed,
                 std::uint8_t* destination, std::size_t destinationSize,
                 std::size_t& destinationUsed, bool last);

private:
    enum class Kind { kNone, kDecode, kEncodeIma, kCopy };

    std::size_t DecodeFrames(const std::uint8_t* src, std::size_t bytes, std::int16_t* out);
    void DecodeInto(const std::uint8_t* src, std::size_t bytes, bool last);
    // Appends frames (1 or 2 channels) to the output as stereo 16-bit little-endian.
    void EmitStereo(const std::int16_t* samples, std::size_t frames);
    void EncodeInto(const std::uint8_t* src, std::size_t bytes, std::size_t& used, bool last);
    bool Refuse(const std::string& why);

    Kind m_Kind = Kind::kNone;
    std::string m_Why;
    WaveFormat m_Source;
    std::uint16_t m_Tag = 0;         // sample tag of the source
    std::uint16_t m_BlockAlign = 0;  // bytes per source block
    std::size_t m_BlockFrames = 0;   // frames per source block
    std::vector<std::int16_t> m_MsCoefficients;
    std::uint64_t m_FrameLimit = 0;
    std::uint64_t m_FramesDecoded = 0;
    bool m_Resample = false;
    bool m_Flushed = false;
    CSincResampler m_Resampler;
    std::vector<std::int16_t> m_Frames;     // decoded frames at the source rate and channels
    std::vector<std::int16_t> m_Resampled;  // the same at 44100 Hz
    std::vector<std::uint8_t> m_Output;     // converted bytes not yet handed out
    std::size_t m_OutputRead = 0;
    int m_ImaIndex[2] = {0, 0};
    std::size_t m_ImaBlockFrames = 0;
};

}  // namespace sonvara
