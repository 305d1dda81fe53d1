#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvara {

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 0x0001;
inline constexpr std::uint16_t WAVE_FORMAT_ADPCM = 0x0002;
inline constexpr std::uint16_t WAVE_FORMAT_IEEE_FLOAT = 0x0003;
inline constexpr std::uint16_t WAVE_FORMAT_ALAW = 0x0006;
inline constexpr std::uint16_t WAVE_FORMAT_MULAW = 0x0007;
inline constexpr std::uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
inline constexpr std::uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// A wave format block: the fixed fields, then extraSize bytes of format-specific data.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
    std::vector<std::uint8_t> extra;

    // Reads a "fmt " chunk's bytes; missing fields stay 0, extra is cut to what is there.
    static WaveFormat Parse(const std::uint8_t* bytes, std::size_t size);
    // 18 + extraSize bytes, little-endian.
    std::vector<std::uint8_t> Serialize() const;

    // The tag of the samples: for WAVE_FORMAT_EXTENSIBLE the sub-format's tag, else formatTag.
    std::uint16_t SampleTag() const;
    // Samples per block for the ADPCM formats (from the extra bytes), 0 when absent.
    std::uint16_t SamplesPerBlock() const;

    bool IsPcm16At(std::uint32_t rate, std::uint16_t channelCount) const;

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// PCM at 44100 Hz, 16 bits, 2 channels: what the reader delivers and the writer accepts.
WaveFormat MakeCdFormat();
// IMA ADPCM at 44100 Hz stereo in 2048-byte blocks of 2041 samples per channel.
WaveFormat MakeImaAdpcmCdFormat();

}  // namespace sonvara
