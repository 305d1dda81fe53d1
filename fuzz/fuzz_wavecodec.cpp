// Each decoder of the format conversion layer with an arbitrary format block and data, and the
// IMA ADPCM encoder with arbitrary PCM.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/wavecodec/waveconverter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonvara;
    if (size < 12) {
        return 0;
    }
    static const std::uint16_t kTags[] = {
        WAVE_FORMAT_PCM,       WAVE_FORMAT_IEEE_FLOAT, WAVE_FORMAT_ALAW,       WAVE_FORMAT_MULAW,
        WAVE_FORMAT_IMA_ADPCM, WAVE_FORMAT_ADPCM,      WAVE_FORMAT_EXTENSIBLE, 0x55};
    WaveFormat f;
    f.formatTag = kTags[data[0] % 8];
    f.channels = static_cast<std::uint16_t>(1 + data[1] % 3);
    f.samplesPerSec = 800 + (static_cast<std::uint32_t>(data[2]) << 10 | data[3]) % 200000;
    f.bitsPerSample = static_cast<std::uint16_t>(data[4] % 70);
    f.blockAlign = static_cast<std::uint16_t>(data[5] | data[6] << 8);
    f.avgBytesPerSec = f.samplesPerSec * std::max<std::uint16_t>(f.blockAlign, 1);
    const std::size_t extra = std::min<std::size_t>(data[7] % 64, size - 12);
    f.extra.assign(data + 12, data + 12 + extra);
    f.extraSize = static_cast<std::uint16_t>(extra);
    const std::uint8_t* body = data + 12 + extra;
    const std::size_t bodySize = size - 12 - extra;
    const bool encode = (data[8] & 1) != 0;

    CWaveConverter c;
    const bool open =
        encode ? c.Open(MakeCdFormat(), MakeImaAdpcmCdFormat()) : c.Open(f, MakeCdFormat());
    if (!open) {
        return 0;
    }
    const std::size_t piece = 1 + (data[9] | data[10] << 8) % 9000;
    std::vector<std::uint8_t> out(c.DestinationSize(piece) + 16);
    std::size_t at = 0;
    while (at < bodySize) {
        const std::size_t take = std::min(piece, bodySize - at);
        const bool last = at + take == bodySize;
        std::size_t used = 0;
        std::size_t produced = 0;
        c.Convert(body + at, take, used, out.data(), out.size(), produced, last);
        if (used > take || produced > out.size()) {
            __builtin_trap();
        }
        at += used == 0 ? take : used;
    }
    std::size_t used = 0;
    std::size_t produced = 0;
    do {
        c.Convert(nullptr, 0, used, out.data(), out.size(), produced, true);
    } while (produced > 0);
    return 0;
}
