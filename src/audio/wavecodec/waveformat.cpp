#include "audio/wavecodec/waveformat.h"

#include "audio/riff/littleendian.h"

namespace sonvara {

WaveFormat WaveFormat::Parse(const std::uint8_t* bytes, std::size_t size) {
    std::uint8_t fixed[18] = {};
    for (std::size_t i = 0; i < 18 && i < size; ++i) {
        fixed[i] = bytes[i];
    }
    WaveFormat f;
    f.formatTag = GetLE16(fixed);
    f.channels = GetLE16(fixed + 2);
    f.samplesPerSec = GetLE32(fixed + 4);
    f.avgBytesPerSec = GetLE32(fixed + 8);
    f.blockAlign = GetLE16(fixed + 12);
    f.bitsPerSample = GetLE16(fixed + 14);
    f.extraSize = size >= 18 ? GetLE16(fixed + 16) : 0;
    if (size > 18) {
        const std::size_t available = size - 18;
        const std::size_t take = f.extraSize < available ? f.extraSize : available;
        f.extra.assign(bytes + 18, bytes + 18 + take);
    }
    f.extraSize = static_cast<std::uint16_t>(f.extra.size());
    return f;
}

std::vector<std::uint8_t> WaveFormat::Serialize() const {
    std::vector<std::uint8_t> out(18 + extra.size());
    PutLE16(out.data(), formatTag);
    PutLE16(out.data() + 2, channels);
    PutLE32(out.data() + 4, samplesPerSec);
    PutLE32(out.data() + 8, avgBytesPerSec);
    PutLE16(out.data() + 12, blockAlign);
    PutLE16(out.data() + 14, bitsPerSample);
    PutLE16(out.data() + 16, static_cast<std::uint16_t>(extra.size()));
    for (std::size_t i = 0; i < extra.size(); ++i) {
        out[18 + i] = extra[i];
    }
    return out;
}

std::uint16_t WaveFormat::SampleTag() const {
    // WAVEFORMATEXTENSIBLE: valid bits (2), channel mask (4), then the sub-format GUID whose
    // first two bytes are the tag.
    if (formatTag == WAVE_FORMAT_EXTENSIBLE) {
        return extra.size() >= 22 ? GetLE16(extra.data() + 6) : 0;
    }
    return formatTag;
}

std::uint16_t WaveFormat::SamplesPerBlock() const {
    return extra.size() >= 2 ? GetLE16(extra.data()) : 0;
}

bool WaveFormat::IsPcm16At(std::uint32_t rate, std::uint16_t channelCount) const {
    return formatTag == WAVE_FORMAT_PCM && bitsPerSample == 16 && channels == channelCount &&
           samplesPerSec == rate && blockAlign == 2 * channelCount;
}

WaveFormat MakeCdFormat() {
    WaveFormat f;
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = 2;
    f.samplesPerSec = 44100;
    f.avgBytesPerSec = 176400;
    f.blockAlign = 4;
    f.bitsPerSample = 16;
    return f;
}

WaveFormat MakeImaAdpcmCdFormat() {
    WaveFormat f;
    f.formatTag = WAVE_FORMAT_IMA_ADPCM;
    f.channels = 2;
    f.samplesPerSec = 44100;
    f.avgBytesPerSec = 44251;
    f.blockAlign = 2048;
    f.bitsPerSample = 4;
    f.extraSize = 2;
    f.extra = {0xF9, 0x07};  // 2041 samples per block
    return f;
}

}  // namespace sonvara
