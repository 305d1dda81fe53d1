#include "audio/wavecodec/waveconverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/riff/littleendian.h"
#include "audio/wavecodec/adpcm.h"
#include "audio/wavecodec/g711.h"

namespace sonvara {

namespace {

constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 192000;

// Rounding to 16 bits as sox does it: add half a step, clip at the top.
std::int16_t Round32To16(std::int64_t v) {
    const std::int64_t r = (v + 32768) >> 16;
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(r, -32768, 32767));
}

std::int16_t FloatTo16(double d) {
    double scaled = d * 2147483648.0;
    std::int64_t s32;
    if (scaled < -2147483648.5) {
        s32 = -2147483648LL;
    } else if (scaled >= 2147483647.5) {
        s32 = 2147483647LL;
    } else {
        s32 = static_cast<std::int64_t>(std::floor(scaled + 0.5));
    }
    return Round32To16(s32);
}

}  // namespace

bool CWaveConverter::Refuse(const std::string& why) {
    Close();
    m_Why = why;
    return false;
}

void CWaveConverter::Close() {
    m_Kind = Kind::kNone;
    m_Frames.clear();
    m_Output.clear();
    m_OutputRead = 0;
    m_FramesDecoded = 0;
    m_FrameLimit = 0;
    m_Flushed = false;
}

bool CWaveConverter::Open(const WaveFormat& source, const WaveFormat& destination) {
    Close();
    m_Why.clear();
    m_Source = source;

    if (source.IsPcm16At(44100, 2)) {
        if (destination.IsPcm16At(44100, 2)) {
            m_Kind = Kind::kCopy;
            return true;
        }
        if (destination.formatTag == WAVE_FORMAT_IMA_ADPCM && destination.channels == 2 &&
            destination.samplesPerSec == 44100) {
            const std::size_t spb = destination.SamplesPerBlock();
            if (spb < 9 || (spb - 1) % 8 != 0 || destination.blockAlign != 8 + (spb - 1)) {
                return Refuse("IMA ADPCM block layout not supported");
            }
            m_ImaBlockFrames = spb;
            m_ImaIndex[0] = m_ImaIndex[1] = 0;
            m_Kind = Kind::kEncodeIma;
            return true;
        }
        return Refuse("no encoder for the target format");
    }
    if (!destination.IsPcm16At(44100, 2)) {
        return Refuse("conversion only to PCM 44100 Hz 16-bit stereo");
    }
    if (source.channels < 1 || source.channels > 2) {
        return Refuse(std::to_string(source.channels) + " channels");
    }
    if (source.samplesPerSec < kMinRate || source.samplesPerSec > kMaxRate) {
        return Refuse("sample rate " + std::to_string(source.samplesPerSec) + " Hz");
    }
    m_Tag = source.SampleTag();
    const unsigned ch = source.channels;
    switch (m_Tag) {
        case WAVE_FORMAT_PCM:
            if (source.bitsPerSample != 8 && source.bitsPerSample != 16 &&
                source.bitsPerSample != 24 && source.bitsPerSample != 32) {
                return Refuse(std::to_string(source.bitsPerSample) + "-bit PCM");
            }
            m_BlockAlign = static_cast<std::uint16_t>(ch * source.bitsPerSample / 8);
            m_BlockFrames = 1;
            break;
        case WAVE_FORMAT_IEEE_FLOAT:
            if (source.bitsPerSample != 32 && source.bitsPerSample != 64) {
                return Refuse(std::to_string(source.bitsPerSample) + "-bit float");
            }
            m_BlockAlign = static_cast<std::uint16_t>(ch * source.bitsPerSample / 8);
            m_BlockFrames = 1;
            break;
        case WAVE_FORMAT_ALAW:
        case WAVE_FORMAT_MULAW:
            if (source.bitsPerSample != 8) {
                return Refuse("G.711 with " + std::to_string(source.bitsPerSample) + " bits");
            }
            m_BlockAlign = static_cast<std::uint16_t>(ch);
            m_BlockFrames = 1;
            break;
        case WAVE_FORMAT_IMA_ADPCM: {
            if (source.bitsPerSample != 4 || source.blockAlign < 4 * ch + 4 * ch) {
                return Refuse("IMA ADPCM block layout");
            }
            m_BlockAlign = source.blockAlign;
            // Whole groups of 8 samples per channel follow the header.
            m_BlockFrames = 1 + (source.blockAlign - 4 * ch) / (4 * ch) * 8;
            const std::size_t stated = source.SamplesPerBlock();
            if (stated != 0 && stated < m_BlockFrames) {
                m_BlockFrames = stated;
            }
            break;
        }
        case WAVE_FORMAT_ADPCM: {
            if (source.bitsPerSample != 4 || source.blockAlign < 7 * ch ||
                source.extra.size() < 4) {
                return Refuse("Microsoft ADPCM block layout");
            }
            const std::size_t numCoef = GetLE16(source.extra.data() + 2);
            if (numCoef == 0 || numCoef > 256 || source.extra.size() < 4 + numCoef * 4) {
                return Refuse("Microsoft ADPCM coefficients");
            }
            m_MsCoefficients.resize(numCoef * 2);
            for (std::size_t i = 0; i < numCoef * 2; ++i) {
                m_MsCoefficients[i] =
                    static_cast<std::int16_t>(GetLE16(source.extra.data() + 4 + 2 * i));
            }
            m_BlockAlign = source.blockAlign;
            m_BlockFrames = 2 + (source.blockAlign - 7 * ch) * 2 / ch;
            const std::size_t stated = source.SamplesPerBlock();
            if (stated != 0 && stated < m_BlockFrames) {
                m_BlockFrames = stated;
            }
            break;
        }
        default: {
            char tag[8];
            std::snprintf(tag, sizeof tag, "0x%04X", m_Tag);
            return Refuse(std::string("format tag ") + tag);
        }
    }
    m_Resample = source.samplesPerSec != 44100;
    if (m_Resample && !m_Resampler.Init(source.samplesPerSec, 44100, source.channels)) {
        return Refuse("sample rate " + std::to_string(source.samplesPerSec) + " Hz");
    }
    m_Frames.reserve(m_BlockFrames * ch);
    m_Kind = Kind::kDecode;
    return true;
}

std::size_t CWaveConverter::DestinationSize(std::size_t sourceBytes) const {
    switch (m_Kind) {
        case Kind::kNone: return 0;
        case Kind::kCopy: return sourceBytes;
        case Kind::kEncodeIma: {
            const std::size_t blockIn = m_ImaBlockFrames * 4;
            return (sourceBytes + blockIn - 1) / blockIn * (8 + (m_ImaBlockFrames - 1));
        }
        case Kind::kDecode: {
            const std::size_t blocks = sourceBytes / m_BlockAlign + 1;
            const std::size_t frames = blocks * m_BlockFrames;
            const std::size_t out = m_Resample ? m_Resampler.MaxOutputFrames(frames) : frames;
            return out * 4;
        }
    }
    return 0;
}

std::size_t CWaveConverter::DecodeFrames(const std::uint8_t* src, std::size_t bytes,
                                         std::int16_t* out) {
    const unsigned ch = m_Source.channels;
    const unsigned bits = m_Source.bitsPerSample;
    switch (m_Tag) {
        case WAVE_FORMAT_PCM: {
            const std::size_t frames = bytes / m_BlockAlign;
            const std::size_t samples = frames * ch;
            for (std::size_t s = 0; s < samples; ++s) {
                const std::uint8_t* p = src + s * (bits / 8);
                switch (bits) {
                    case 8: out[s] = static_cast<std::int16_t>((p[0] - 128) * 256); break;
                    case 16: out[s] = static_cast<std::int16_t>(GetLE16(p)); break;
                    case 24: {
                        const std::int32_t v =
                            static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                                      (static_cast<std::uint32_t>(p[1]) << 16) |
                                                      (static_cast<std::uint32_t>(p[2]) << 24));
                        out[s] = Round32To16(v);
                        break;
                    }
                    default: out[s] = Round32To16(static_cast<std::int32_t>(GetLE32(p))); break;
                }
            }
            return frames;
        }
        case WAVE_FORMAT_IEEE_FLOAT: {
            const std::size_t frames = bytes / m_BlockAlign;
            const std::size_t samples = frames * ch;
            for (std::size_t s = 0; s < samples; ++s) {
                if (bits == 32) {
                    const std::uint32_t raw = GetLE32(src + 4 * s);
                    float f;
                    std::memcpy(&f, &raw, 4);
                    out[s] = FloatTo16(std::isnan(f) ? 0.0 : f);
                } else {
                    const std::uint64_t raw =
                        GetLE32(src + 8 * s) |
                        (static_cast<std::uint64_t>(GetLE32(src + 8 * s + 4)) << 32);
                    double d;
                    std::memcpy(&d, &raw, 8);
                    out[s] = FloatTo16(std::isnan(d) ? 0.0 : d);
                }
            }
            return frames;
        }
        case WAVE_FORMAT_ALAW:
        case WAVE_FORMAT_MULAW: {
            const std::size_t frames = bytes / ch;
            for (std::size_t s = 0; s < frames * ch; ++s) {
                out[s] = m_Tag == WAVE_FORMAT_ALAW ? ALawToLinear(src[s]) : MuLawToLinear(src[s]);
            }
            return frames;
        }
        case WAVE_FORMAT_IMA_ADPCM:
            return DecodeImaBlock(src, bytes, static_cast<int>(ch), m_BlockFrames, out);
        case WAVE_FORMAT_ADPCM:
            return DecodeMsAdpcmBlock(src, bytes, static_cast<int>(ch), m_MsCoefficients.data(),
                                      static_cast<int>(m_MsCoefficients.size() / 2), m_BlockFrames,
                                      out);
        default: return 0;
    }
}

void CWaveConverter::DecodeInto(const std::uint8_t* src, std::size_t bytes, bool last) {
    const unsigned ch = m_Source.channels;
    // One block (ADPCM) or a run of frames (the others) at a time.
    const std::size_t step =
        m_BlockFrames == 1 ? std::max<std::size_t>(m_BlockAlign, 4096 / m_BlockAlign * m_BlockAlign)
                           : m_BlockAlign;
    std::size_t offset = 0;
    while (offset < bytes) {
        const std::size_t take = std::min(step, bytes - offset);
        if (take < m_BlockAlign && !last) {
            break;
        }
        m_Frames.resize(std::max<std::size_t>(m_BlockFrames,
                                              take / std::max<std::size_t>(m_BlockAlign, 1) + 1) *
                        ch);
        std::size_t frames = DecodeFrames(src + offset, take, m_Frames.data());
        offset += take;
        if (m_FrameLimit != 0) {
            frames = static_cast<std::size_t>(std::min<std::uint64_t>(
                frames, m_FrameLimit - std::min(m_FrameLimit, m_FramesDecoded)));
        }
        m_FramesDecoded += frames;
        if (frames == 0) {
            continue;
        }
        if (m_Resample) {
            m_Resampled.clear();
            m_Resampler.Process(m_Frames.data(), frames, m_Resampled);
            EmitStereo(m_Resampled.data(), m_Resampled.size() / ch);
        } else {
            EmitStereo(m_Frames.data(), frames);
        }
    }
    if (last && m_Resample && !m_Flushed) {
        m_Resampled.clear();
        m_Resampler.Flush(m_Resampled);
        EmitStereo(m_Resampled.data(), m_Resampled.size() / ch);
        m_Flushed = true;
    }
}

void CWaveConverter::EmitStereo(const std::int16_t* samples, std::size_t frames) {
    const std::size_t at = m_Output.size();
    m_Output.resize(at + frames * 4);
    std::uint8_t* out = m_Output.data() + at;
    if (m_Source.channels == 1) {
        for (std::size_t i = 0; i < frames; ++i) {
            const auto v = static_cast<std::uint16_t>(samples[i]);
            PutLE16(out + 4 * i, v);
            PutLE16(out + 4 * i + 2, v);
        }
    } else {
        for (std::size_t i = 0; i < frames * 2; ++i) {
            PutLE16(out + 2 * i, static_cast<std::uint16_t>(samples[i]));
        }
    }
}

void CWaveConverter::EncodeInto(const std::uint8_t* src, std::size_t bytes, std::size_t& used,
                                bool last) {
    const std::size_t blockIn = m_ImaBlockFrames * 4;
    const std::size_t blockOut = 8 + (m_ImaBlockFrames - 1);
    std::vector<std::int16_t> frames(m_ImaBlockFrames * 2);
    std::vector<std::uint8_t> block(blockOut);
    used = 0;
    while (bytes - used >= blockIn || (last && bytes > used)) {
        const std::size_t take = std::min(blockIn, bytes - used);
        std::fill(frames.begin(), frames.end(), 0);  // a final partial block is padded with silence
        for (std::size_t s = 0; s < take / 2; ++s) {
            frames[s] = static_cast<std::int16_t>(GetLE16(src + used + 2 * s));
        }
        EncodeImaBlock(frames.data(), 2, m_ImaBlockFrames, m_ImaIndex, block.data());
        m_Output.insert(m_Output.end(), block.begin(), block.end());
        used += take;
    }
}

void CWaveConverter::Convert(const std::uint8_t* source, std::size_t sourceSize,
                             std::size_t& sourceUsed, std::uint8_t* destination,
                             std::size_t destinationSize, std::size_t& destinationUsed, bool last) {
    sourceUsed = 0;
    destinationUsed = 0;
    switch (m_Kind) {
        case Kind::kNone: return;
        case Kind::kCopy: {
            const std::size_t n =
                std::min(sourceSize - sourceSize % 4, destinationSize - destinationSize % 4);
            if (n > 0) {
                std::memcpy(destination, source, n);
            }
            sourceUsed = destinationUsed = n;
            return;
        }
        case Kind::kEncodeIma: EncodeInto(source, sourceSize, sourceUsed, last); break;
        case Kind::kDecode: {
            std::size_t whole = sourceSize / m_BlockAlign * m_BlockAlign;
            if (last) {
                whole = sourceSize;
            }
            DecodeInto(source, whole, last);
            sourceUsed = whole;
            break;
        }
    }
    // Hand out what fits; the rest waits for the next call.
    const std::size_t n = std::min(m_Output.size() - m_OutputRead, destinationSize);
    if (n > 0) {
        std::memcpy(destination, m_Output.data() + m_OutputRead, n);
    }
    destinationUsed = n;
    m_OutputRead += n;
    if (m_OutputRead == m_Output.size()) {
        m_Output.clear();
        m_OutputRead = 0;
    }
}

}  // namespace sonvara
