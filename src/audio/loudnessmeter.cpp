#include "audio/loudnessmeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace sonvara {

namespace {

// The true peak by ITU-R BS.1770 Annex 2: the signal oversampled (4x below 96 kHz, 2x below
// 192 kHz) by a Hann-windowed sinc of 49 taps, as libebur128 builds it, and the largest
// magnitude of the result. Work is skipped where it cannot raise the peak: a block whose
// largest input magnitude, times the largest gain of any phase of the filter, stays at or
// below the peak found so far cannot hold a larger one.
class CTruePeak {
public:
    CTruePeak(unsigned channels, unsigned rate)
        : m_Channels(channels),
          m_Factor(rate < 96000    ? 4
                   : rate < 192000 ? 2
                                   : 1) {
        constexpr int kTaps = 49;
        m_Phases.resize(static_cast<std::size_t>(m_Factor));
        for (int j = 0; j < kTaps && m_Factor > 1; ++j) {
            const double m = j - (kTaps - 1) / 2.0;
            double c = 1.0;
            if (std::fabs(m) > 1e-6) {
                c = std::sin(m * M_PI / m_Factor) / (m * M_PI / m_Factor);
            }
            c *= 0.5 * (1 - std::cos(2 * M_PI * j / (kTaps - 1)));
            if (std::fabs(c) > 1e-6) {
                m_Phases[static_cast<std::size_t>(j % m_Factor)].push_back(
                    {c, static_cast<std::size_t>(j / m_Factor)});
            }
        }
        for (const auto& phase : m_Phases) {
            double gain = 0;
            for (const Tap& t : phase) {
                m_Reach = std::max(m_Reach, t.delay);
                gain += std::fabs(t.coefficient);
            }
            m_Gain = std::max(m_Gain, gain);
        }
        m_History.assign(static_cast<std::size_t>(channels) * (m_Reach + kBlock), 0.0f);
        m_Out.assign(kBlock, 0.0f);
        m_SamplePeak.assign(channels, 0.0);
        m_TruePeak.assign(channels, 0.0);
    }

    void Add(const std::int16_t* samples, std::size_t frames) {
        while (frames > 0) {
            const std::size_t n = std::min(frames, kBlock);
            for (unsigned c = 0; c < m_Channels; ++c) {
                Block(c, samples + c, n);
            }
            samples += n * m_Channels;
            frames -= n;
        }
    }
    double SamplePeak(unsigned c) const { return m_SamplePeak[c]; }
    double TruePeak(unsigned c) const { return std::max(m_TruePeak[c], m_SamplePeak[c]); }

private:
    static constexpr std::size_t kBlock = 256;
    struct Tap {
        double coefficient;
        std::size_t delay;  // in input samples
    };

    void Block(unsigned c, const std::int16_t* in, std::size_t n) {
        // history: the last m_Reach samples of the channel, then this block.
        float* h = m_History.data() + static_cast<std::size_t>(c) * (m_Reach + kBlock);
        float largest = 0;
        for (std::size_t i = 0; i < m_Reach; ++i) {
            largest = std::max(largest, std::fabs(h[i]));
        }
        float blockPeak = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const float x = static_cast<float>(in[i * m_Channels]) / 32768.0f;
            h[m_Reach + i] = x;
            blockPeak = std::max(blockPeak, std::fabs(x));
        }
        m_SamplePeak[c] = std::max(m_SamplePeak[c], static_cast<double>(blockPeak));
        largest = std::max(largest, blockPeak);
        if (m_Factor > 1 && largest * m_Gain > m_TruePeak[c]) {
            // Tap by tap over the whole block, so that the compiler runs the inner loop over
            // several outputs at once.
            float peak = static_cast<float>(m_TruePeak[c]);
            for (const auto& phase : m_Phases) {
                std::fill(m_Out.begin(), m_Out.begin() + static_cast<std::ptrdiff_t>(n), 0.0f);
                for (const Tap& t : phase) {
                    const float k = static_cast<float>(t.coefficient);
                    const float* x = h + m_Reach - t.delay;
                    float* y = m_Out.data();
                    for (std::size_t i = 0; i < n; ++i) {
                        y[i] += k * x[i];
                    }
                }
                for (std::size_t i = 0; i < n; ++i) {
                    peak = std::max(peak, std::fabs(m_Out[i]));
                }
            }
            m_TruePeak[c] = peak;
        }
        // Keep the last m_Reach samples in front for the next block.
        std::copy(h + n, h + n + m_Reach, h);
    }

    unsigned m_Channels;
    int m_Factor;
    std::vector<std::vector<Tap>> m_Phases;
    std::size_t m_Reach = 0;
    double m_Gain = 0;
    std::vector<float> m_History;
    std::vector<float> m_Out;
    std::vector<double> m_SamplePeak;
    std::vector<double> m_TruePeak;
};

}  // namespace

struct CLoudnessMeter::State {
    ebur128_state* st = nullptr;
    std::unique_ptr<CTruePeak> peaks;
    ~State() {
        if (st != nullptr) {
            ebur128_destroy(&st);
        }
    }
};

double LoudnessValues::TruePeakDbtp() const {
    return truePeak > 0 ? 20.0 * std::log10(truePeak) : -HUGE_VAL;
}

CLoudnessMeter::CLoudnessMeter(unsigned channels, unsigned sampleRate)
    : m_pState(std::make_unique<State>()), m_Channels(channels), m_SampleRate(sampleRate) {
    if (channels == 0 || channels > 64 || sampleRate < 8000 || sampleRate > 384000) {
        return;
    }
    // The peaks are ours (CTruePeak): libebur128 oversamples every sample, which costs more
    // than decoding an MP3.
    m_pState->st = ebur128_init(channels, sampleRate, EBUR128_MODE_I | EBUR128_MODE_LRA);
    m_pState->peaks = std::make_unique<CTruePeak>(channels, sampleRate);
}

CLoudnessMeter::~CLoudnessMeter() = default;

bool CLoudnessMeter::IsValid() const {
    return m_pState->st != nullptr;
}

void CLoudnessMeter::AddFrames(const std::int16_t* samples, std::size_t frames) {
    if (m_pState->st == nullptr || frames == 0) {
        return;
    }
    ebur128_add_frames_short(m_pState->st, samples, frames);
    m_pState->peaks->Add(samples, frames);
    m_Frames += frames;
}

LoudnessFailure CLoudnessMeter::Result(LoudnessValues& values) const {
    return AlbumResult({this}, values);
}

LoudnessFailure CLoudnessMeter::AlbumResult(const std::vector<const CLoudnessMeter*>& meters,
                                            LoudnessValues& values) {
    values = {};
    std::vector<ebur128_state*> states;
    std::uint64_t longest = 0;
    for (const CLoudnessMeter* m : meters) {
        if (m != nullptr && m->m_pState->st != nullptr) {
            states.push_back(m->m_pState->st);
            // A block of 400 ms needs that much audio in one track.
            longest = std::max(longest, m->m_Frames * 10 / std::max(1u, m->m_SampleRate));
            for (unsigned c = 0; c < m->m_Channels; ++c) {
                values.samplePeak = std::max(values.samplePeak, m->m_pState->peaks->SamplePeak(c));
                values.truePeak = std::max(values.truePeak, m->m_pState->peaks->TruePeak(c));
            }
        }
    }
    if (states.empty() || longest < 4) {
        return LoudnessFailure::kTooShort;
    }
    double integrated = -HUGE_VAL;
    if (ebur128_loudness_global_multiple(states.data(), states.size(), &integrated) !=
            EBUR128_SUCCESS ||
        !std::isfinite(integrated)) {
        return LoudnessFailure::kSilent;
    }
    double range = 0;
    if (ebur128_loudness_range_multiple(states.data(), states.size(), &range) != EBUR128_SUCCESS ||
        !std::isfinite(range)) {
        range = 0;
    }
    values.integratedLufs = integrated;
    values.rangeLu = range;
    return LoudnessFailure::kNone;
}

}  // namespace sonvara
