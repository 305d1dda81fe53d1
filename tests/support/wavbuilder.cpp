#include "support/wavbuilder.h"

#include <cmath>

#include "audio/audiowavefile.h"

namespace sonvara::test {

Bytes LE16(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

Bytes LE32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

Bytes FmtData(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
              const Bytes& extra, bool withExtraSize) {
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    Bytes out;
    Append(out, LE16(tag));
    Append(out, LE16(channels));
    Append(out, LE32(rate));
    Append(out, LE32(rate * align));
    Append(out, LE16(align));
    Append(out, LE16(bits));
    if (withExtraSize) {
        Append(out, LE16(static_cast<std::uint16_t>(extra.size())));
        Append(out, extra);
    }
    return out;
}

Bytes MakeRiff(const std::vector<Chunk>& chunks, std::int64_t claimedRiffSize) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        Append(body, Bytes(c.id.begin(), c.id.end()));
        Append(body,
               LE32(static_cast<std::uint32_t>(
                   c.claimedSize >= 0 ? c.claimedSize : static_cast<std::int64_t>(c.data.size()))));
        Append(body, c.data);
        if (c.data.size() % 2 != 0) {
            body.push_back(0);
        }
    }
    Bytes out = {'R', 'I', 'F', 'F'};
    Append(out,
           LE32(static_cast<std::uint32_t>(
               claimedRiffSize >= 0 ? claimedRiffSize : static_cast<std::int64_t>(body.size()))));
    Append(out, body);
    return out;
}

Bytes MakePcmWav(const std::vector<std::int16_t>& interleaved, std::uint16_t channels,
                 std::uint32_t rate) {
    Bytes data;
    for (std::int16_t s : interleaved) {
        Append(data, LE16(static_cast<std::uint16_t>(s)));
    }
    return MakeRiff({{"fmt ", FmtData(1, channels, rate, 16, {}, false)}, {"data", data}});
}

Chunk TextChunk(const std::string& id, const std::string& text) {
    Bytes field(64, 0);
    for (std::size_t i = 0; i < text.size() && i < 64; ++i) {
        field[i] = static_cast<std::uint8_t>(text[i]);
    }
    return {id, field};
}

std::vector<std::int16_t> DecodeWavSamples(const std::string& path) {
    CAudioWaveFile f;
    f.SetFileName(path);
    std::vector<std::int16_t> out;
    if (!f.IsValid()) {
        return out;
    }
    f.OpenStream();
    std::vector<std::int16_t> buf(16384);
    int n;
    while ((n = f.Read(1, 32768, buf.data(), 32768)) > 0) {
        out.insert(out.end(), buf.begin(), buf.begin() + n / 2);
    }
    return out;
}

std::vector<std::int16_t> Sine(std::size_t frames, int channels, double hz, double rate,
                               double amplitude) {
    std::vector<std::int16_t> out;
    out.reserve(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            out.push_back(static_cast<std::int16_t>(
                std::lround(amplitude * std::sin(2 * M_PI * hz * (i + c * 7) / rate))));
        }
    }
    return out;
}

}  // namespace sonvara::test
