#include "audio/loudnessmeter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <vector>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

// The filter loops are built for the running processor too (AVX2 with FMA, AVX-512) and the
// best build is chosen when the program starts: the meter then costs a fraction of decoding.
// Not under ThreadSanitizer: the choice runs while the program is being loaded, before the
// sanitizer's runtime is ready, and its instrumented code crashes there.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define SONVARA_VECTOR_CLONES \
    __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define SONVARA_VECTOR_CLONES
#endif

namespace sonvara {

namespace {

// BS.1770's K-weighting at a sample rate: a high shelf (+4 dB above about 1.7 kHz) and a
// high-pass at about 38 Hz, the two second-order sections derived for any rate as libebur128
// derives them. The shelf's numerator takes the scale of 16-bit samples to full scale.
struct KWeighting {
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // shelf
    double c1 = 0, c2 = 0;                          // high-pass, numerator 1, -2, 1
};

KWeighting MakeKWeighting(unsigned rate) {
    KWeighting k;
    {
        const double f0 = 1681.974450955533;
        const double gainDb = 3.999843853973347;
        const double q = 0.7071752369554196;
        const double t = std::tan(M_PI * f0 / rate);
        const double vh = std::pow(10.0, gainDb / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double norm = 1.0 + t / q + t * t;
        const double scale = 1.0 / 32768.0;
        k.b0 = (vh + vb * t / q + t * t) / norm * scale;
        k.b1 = 2.0 * (t * t - vh) / norm * scale;
        k.b2 = (vh - vb * t / q + t * t) / norm * scale;
        k.a1 = 2.0 * (t * t - 1.0) / norm;
        k.a2 = (1.0 - t / q + t * t) / norm;
    }
    const double f0 = 38.13547087602444;
    const double q = 0.5003270373238773;
    const double t = std::tan(M_PI * f0 / rate);
    const double norm = 1.0 + t / q + t * t;
    k.c1 = 2.0 * (t * t - 1.0) / norm;
    k.c2 = (1.0 - t / q + t * t) / norm;
    return k;
}

// The filter memory in direct form I, the last two inputs and outputs of each section, of one
// channel (T = double) or of a row of lanes (T = a vector).
template <class T>
struct FilterMemory {
    T x1{}, x2{};  // shelf inputs
    T s1{}, s2{};  // shelf outputs = high-pass inputs
    T h1{}, h2{};  // high-pass outputs

    // The weighted value of the next input (h1 after the step; vectors go by reference, not
    // in registers that differ between the processor builds).
    [[gnu::always_inline]] const T& Step(const KWeighting& k, const T& x) {
        const T s = k.b0 * x + k.b1 * x1 + k.b2 * x2 - k.a2 * s2 - k.a1 * s1;
        const T h = s - 2.0 * s1 + s2 - k.c2 * h2 - k.c1 * h1;
        x2 = x1;
        x1 = x;
        s2 = s1;
        s1 = s;
        h2 = h1;
        h1 = h;
        return h1;
    }
};
using Weighing = FilterMemory<double>;

// The K-weighting runs over kLanes stretches of 100 ms at once, one in each lane of a vector:
// the sub-blocks of a group of them side by side, channel by channel. A stretch starts from
// its true input history (the two samples before it) but with no filter output behind it.
// Its true output differs from that by the filter's response to the true output history
// alone, a combination of four fixed responses (one to each value of that history), so the
// true energy and end state follow from the lane's energy, end state and sums against those
// responses, stretch after stretch. That is exact (but for rounding), and a recursive filter
// that would wait for its previous output at every sample of a channel runs eight outputs at
// a time.
constexpr std::size_t kLanes = 8;
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef std::int16_t LaneSamples __attribute__((vector_size(kLanes * sizeof(std::int16_t))));
typedef std::int32_t LaneInts __attribute__((vector_size(kLanes * sizeof(std::int32_t))));
constexpr int kHistory = 4;  // s1, s2, h1, h2

// One kernel call's lanes. In: the input history. Out: the end state and the energy from a
// zero output history, and the output's sums against the four responses.
struct LaneRun {
    alignas(64) double x1[kLanes];
    alignas(64) double x2[kLanes];
    alignas(64) double end[kHistory][kLanes];
    alignas(64) double energy[kLanes];
    alignas(64) double cross[kHistory][kLanes];
};

// x: n rows of kLanes samples; basis: the four responses, n values each.
SONVARA_VECTOR_CLONES
void WeighLanes(const std::int16_t* x, std::size_t n, const KWeighting& k, const double* basis,
                LaneRun& run) {
    FilterMemory<Lanes> m;
    std::memcpy(&m.x1, run.x1, sizeof m.x1);
    std::memcpy(&m.x2, run.x2, sizeof m.x2);
    Lanes e = {}, q0 = {}, q1 = {}, q2 = {}, q3 = {};
    for (std::size_t i = 0; i < n; ++i) {
        LaneSamples row;
        std::memcpy(&row, x + i * kLanes, sizeof row);
        // Through 32-bit integers: the compiler has vector instructions for both steps.
        const Lanes xi = __builtin_convertvector(__builtin_convertvector(row, LaneInts), Lanes);
        const Lanes h = m.Step(k, xi);
        e += h * h;
        q0 += h * basis[i];
        q1 += h * basis[n + i];
        q2 += h * basis[2 * n + i];
        q3 += h * basis[3 * n + i];
    }
    const Lanes* out[] = {&m.s1, &m.s2, &m.h1, &m.h2};
    const Lanes* sums[] = {&q0, &q1, &q2, &q3};
    for (int j = 0; j < kHistory; ++j) {
        std::memcpy(run.end[j], out[j], sizeof(Lanes));
        std::memcpy(run.cross[j], sums[j], sizeof(Lanes));
    }
    std::memcpy(run.energy, &e, sizeof e);
}

// The bits of a float's magnitude: ordered as the magnitudes are, and their largest is found
// by integer comparisons, which the compiler runs over several values at once.
inline std::uint32_t MagnitudeBits(float v) {
    return std::bit_cast<std::uint32_t>(v) & 0x7FFFFFFFu;
}

// The largest magnitude of the 4x interpolator's phases 1 to 3 (12 taps each) over outputs
// 0..n-1; x[i - t] is the input of tap t for output i, so the 11 samples before x must be
// readable. Phases 1 and 3 mirror each other and phase 2 is symmetric, so each output takes
// the sums u and differences v of the six pairs of samples that mirrored taps meet, at half
// the multiplications: folded holds the six coefficients of y1 + y3 (on u), of y1 - y3 (on
// v) and of y2 (on u), and the larger of |y1| and |y3| is (|y1 + y3| + |y1 - y3|) / 2.
SONVARA_VECTOR_CLONES
std::uint32_t InterpolatedPeak4(const float* x, std::size_t n, const float* folded) {
    std::uint32_t top = 0;
    for (std::size_t i = 0; i < n; ++i) {
        float sum = 0, difference = 0, middle = 0;
#pragma GCC unroll 6
        for (int t = 0; t < 6; ++t) {
            const float near = x[static_cast<std::ptrdiff_t>(i) - t];
            const float far = x[static_cast<std::ptrdiff_t>(i) - 11 + t];
            sum += folded[t] * (near + far);
            difference += folded[6 + t] * (near - far);
            middle += folded[12 + t] * (near + far);
        }
        top = std::max(top, MagnitudeBits(0.5f * (std::fabs(sum) + std::fabs(difference))));
        top = std::max(top, MagnitudeBits(middle));
    }
    return top;
}

// The 2x interpolator's phase 1 (24 taps) in the same way, as it is: 2x serves high rates only.
SONVARA_VECTOR_CLONES
std::uint32_t InterpolatedPeak2(const float* x, std::size_t n, const float* c) {
    std::uint32_t top = 0;
    for (std::size_t i = 0; i < n; ++i) {
        float y = 0;
#pragma GCC unroll 24
        for (int t = 0; t < 24; ++t) {
            y += c[t] * x[static_cast<std::ptrdiff_t>(i) - t];
        }
        top = std::max(top, MagnitudeBits(y));
    }
    return top;
}

// Samples of one channel (every stride-th value of in) as floats at full scale 1.0.
SONVARA_VECTOR_CLONES
void ToFloat(const std::int16_t* in, std::size_t stride, std::size_t n, float* out) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<float>(in[i * stride]) * (1.0f / 32768.0f);
    }
}

SONVARA_VECTOR_CLONES
void PairToFloat(const std::int16_t* in, std::size_t n, float* left, float* right) {
    for (std::size_t i = 0; i < n; ++i) {
        left[i] = static_cast<float>(in[2 * i]) * (1.0f / 32768.0f);
        right[i] = static_cast<float>(in[2 * i + 1]) * (1.0f / 32768.0f);
    }
}

[[gnu::always_inline]] inline std::uint32_t LargestOf(const float* x, std::size_t n) {
    std::uint32_t top = 0;
    for (std::size_t i = 0; i < n; ++i) {
        top = std::max(top, MagnitudeBits(x[i]));
    }
    return top;
}

SONVARA_VECTOR_CLONES
std::uint32_t LargestMagnitudeBits(const float* x, std::size_t n) {
    return LargestOf(x, n);
}

constexpr std::size_t kStretch = 32;

// The largest magnitude of each stretch of kStretch samples of x (the last one may be
// shorter).
SONVARA_VECTOR_CLONES
void StretchPeaks(const float* x, std::size_t n, std::uint32_t* peaks) {
    std::size_t i = 0;
    for (; i + kStretch <= n; i += kStretch) {
        *peaks++ = LargestOf(x + i, kStretch);
    }
    if (i < n) {
        *peaks = LargestOf(x + i, n - i);
    }
}

// The true peak by ITU-R BS.1770 Annex 2: the signal oversampled (4x below 96 kHz, 2x below
// 192 kHz) by a Hann-windowed sinc of 49 taps, as libebur128 builds it, and the largest
// magnitude of the result. The filter's phase 0 passes the samples through unchanged (the
// sample peak); the other phases are computed where they can raise the peak: a stretch whose
// largest input magnitude, times the largest sum of coefficient magnitudes of a phase, stays
// at or below the peak found so far cannot hold a larger one, and is passed over. That bound
// holds for every output, so passing over changes no result.
class CTruePeak {
public:
    CTruePeak(unsigned channels, unsigned rate)
        : m_Factor(rate < 96000    ? 4
                   : rate < 192000 ? 2
                                   : 1),
          m_Taps(m_Factor == 4 ? 12 : 24) {
        constexpr int kLength = 49;
        if (m_Factor > 1) {
            m_Coefficients.assign(static_cast<std::size_t>((m_Factor - 1) * m_Taps), 0.0f);
        }
        for (int j = 0; j < kLength && m_Factor > 1; ++j) {
            const double m = j - (kLength - 1) / 2.0;
            double c = 1.0;
            if (std::fabs(m) > 1e-6) {
                c = std::sin(m * M_PI / m_Factor) / (m * M_PI / m_Factor);
            }
            c *= 0.5 * (1 - std::cos(2 * M_PI * j / (kLength - 1)));
            const int phase = j % m_Factor;
            if (phase > 0 && std::fabs(c) > 1e-6) {
                m_Coefficients[static_cast<std::size_t>((phase - 1) * m_Taps + j / m_Factor)] =
                    static_cast<float>(c);
            }
        }
        for (int p = 0; p + 1 < m_Factor; ++p) {
            double gain = 0;
            for (int t = 0; t < m_Taps; ++t) {
                gain += std::fabs(m_Coefficients[static_cast<std::size_t>(p * m_Taps + t)]);
            }
            m_Gain = std::max(m_Gain, gain);
        }
        if (m_Factor == 4) {
            const auto c = [&](int phase, int t) {
                return m_Coefficients[static_cast<std::size_t>((phase - 1) * m_Taps + t)];
            };
            for (int t = 0; t < 6; ++t) {
                m_Folded[t] = c(1, t) + c(1, 11 - t);
                m_Folded[6 + t] = c(1, t) - c(1, 11 - t);
                m_Folded[12 + t] = (c(2, t) + c(2, 11 - t)) / 2;
            }
        }
        // Float rounding in the sums stays far below this margin.
        m_Gain *= 1.0 + 1e-5;
        m_Reach = static_cast<std::size_t>(m_Taps - 1);
        m_Samples.assign(channels, std::vector<float>(m_Reach + kChunk, 0.0f));
        m_SamplePeak.assign(channels, 0);
        m_TruePeak.assign(channels, 0);
        m_ReachPeak.assign(channels, 0);
        m_Stretches.assign((kChunk + kStretch - 1) / kStretch, 0);
    }

    static constexpr std::size_t kChunk = 4096;

    // The chunk's samples of channel c (up to kChunk), as the filter reads them.
    float* Input(unsigned c) { return m_Samples[c].data() + m_Reach; }

    // Takes the n samples just written to Input(c) into the peaks.
    void Add(unsigned c, std::size_t n) {
        const float* x = Input(c);
        const std::size_t count = (n + kStretch - 1) / kStretch;
        StretchPeaks(x, n, m_Stretches.data());
        for (std::size_t k = 0; k < count; ++k) {
            m_SamplePeak[c] = std::max(m_SamplePeak[c], m_Stretches[k]);
        }
        // The inputs of a stretch's outputs lie in it and in the m_Reach samples before it:
        // in the stretch before (kStretch is longer than the reach) or the last chunk's end.
        // The true peak is at least the sample peak.
        const auto worthIt = [&](std::size_t k) {
            const std::uint32_t before = k > 0 ? m_Stretches[k - 1] : m_ReachPeak[c];
            return std::bit_cast<float>(std::max(before, m_Stretches[k])) * m_Gain >
                   std::bit_cast<float>(std::max(m_TruePeak[c], m_SamplePeak[c]));
        };
        for (std::size_t k = 0; k < count && m_Factor > 1;) {
            if (!worthIt(k)) {
                ++k;
                continue;
            }
            std::size_t end = k + 1;
            while (end < count && worthIt(end)) {
                ++end;
            }
            const std::size_t from = k * kStretch;
            const std::size_t len = std::min(end * kStretch, n) - from;
            const std::uint32_t peak =
                m_Factor == 4 ? InterpolatedPeak4(x + from, len, m_Folded)
                              : InterpolatedPeak2(x + from, len, m_Coefficients.data());
            m_TruePeak[c] = std::max(m_TruePeak[c], peak);
            k = end;
        }
        // Keep the last m_Reach samples in front for the next chunk.
        float* h = m_Samples[c].data();
        std::memmove(h, x + n - m_Reach, m_Reach * sizeof(float));
        m_ReachPeak[c] = LargestMagnitudeBits(h, m_Reach);
    }

    double SamplePeak(unsigned c) const { return std::bit_cast<float>(m_SamplePeak[c]); }
    double TruePeak(unsigned c) const {
        return std::bit_cast<float>(std::max(m_TruePeak[c], m_SamplePeak[c]));
    }

private:
    int m_Factor;
    int m_Taps;
    std::vector<float> m_Coefficients;  // phases 1..factor-1, m_Taps each
    float m_Folded[18] = {};            // for InterpolatedPeak4
    double m_Gain = 0;
    std::size_t m_Reach = 0;
    std::vector<std::vector<float>> m_Samples;  // per channel: m_Reach history, then the chunk
    std::vector<std::uint32_t> m_SamplePeak;    // magnitude bits
    std::vector<std::uint32_t> m_TruePeak;
    std::vector<std::uint32_t> m_ReachPeak;  // of the m_Reach samples kept in front
    std::vector<std::uint32_t> m_Stretches;  // of the chunk's stretches
};

// Denormal numbers flushed to zero while the filters run: the filters' memory decays into
// them in silence, and they are many times slower than normal numbers.
class CFlushDenormals {
public:
#if defined(__SSE2__)
    CFlushDenormals() : m_Saved(_mm_getcsr()) {
        _mm_setcsr(m_Saved | 0x8040);
    }
    ~CFlushDenormals() {
        _mm_setcsr(m_Saved);
    }

private:
    unsigned m_Saved;
#endif
};

// The weight of each channel by BS.1770, in libebur128's default layouts: four channels are
// L R Ls Rs, five L R C Ls Rs, otherwise L R C LFE Ls Rs; the surround channels count 1.41,
// the LFE and any further channel nothing.
std::vector<double> ChannelWeights(unsigned channels) {
    std::vector<double> w(channels, 0.0);
    const double kSurround = 1.41;
    for (unsigned c = 0; c < channels; ++c) {
        if (channels == 4) {
            w[c] = c < 2 ? 1.0 : kSurround;
        } else if (channels == 5) {
            w[c] = c < 3 ? 1.0 : kSurround;
        } else {
            w[c] = c < 3 ? 1.0 : c == 4 || c == 5 ? kSurround : 0.0;
        }
    }
    return w;
}

constexpr double kAbsoluteGate = -70.0;  // LUFS

double EnergyOfLoudness(double lufs) {
    return std::pow(10.0, (lufs + 0.691) / 10.0);
}

double LoudnessOfEnergy(double energy) {
    return 10.0 * std::log10(energy) - 0.691;
}

}  // namespace

struct CLoudnessMeter::State {
    unsigned channels = 0;
    KWeighting weighting;
    std::vector<double> weights;
    std::unique_ptr<CTruePeak> peaks;
    std::size_t subBlockFrames = 0;  // 100 ms, rounded
    // The weighted energy summed over the channels of each whole 100 ms: the 400 ms gating
    // blocks (every 100 ms) and the 3 s blocks of the loudness range (every second) are sums
    // of these.
    std::vector<double> subBlocks;

    // The group of sub-blocks that the lanes take at once: lane L holds channel L % channels
    // of sub-block L / channels; lanes beyond kLanes go to further kernel calls.
    std::size_t segments = 0;         // sub-blocks in a group
    std::size_t filled = 0;           // whole sub-blocks in the group so far
    std::size_t inSubBlock = 0;       // frames of the next one so far
    std::vector<std::int16_t> lanes;  // per kernel call: subBlockFrames rows of kLanes samples
    std::vector<LaneRun> runs;        // per kernel call
    std::vector<Weighing> history;    // per channel: the true filter memory before the group
    // The high-pass output of the responses to a unit value of each output history (s1, s2,
    // h1, h2) over one sub-block, their sums of products, and the history they leave.
    std::vector<double> basis;
    double gram[kHistory][kHistory] = {};
    double endOfUnit[kHistory][kHistory] = {};  // [history value after][unit value before]

    void Init(unsigned channelCount, unsigned rate) {
        channels = channelCount;
        weighting = MakeKWeighting(rate);
        weights = ChannelWeights(channels);
        subBlockFrames = (rate + 5) / 10;
        segments = std::max<std::size_t>(1, kLanes / channels);
        const std::size_t calls = (segments * channels + kLanes - 1) / kLanes;
        lanes.assign(calls * subBlockFrames * kLanes, 0);
        runs.resize(calls);
        history.assign(channels, Weighing{});
        const std::size_t n = subBlockFrames;
        basis.assign(kHistory * n, 0.0);
        for (int u = 0; u < kHistory; ++u) {
            Weighing w;
            double* value[] = {&w.s1, &w.s2, &w.h1, &w.h2};
            *value[u] = 1.0;
            for (std::size_t i = 0; i < n; ++i) {
                basis[u * n + i] = w.Step(weighting, 0.0);
            }
            for (int m = 0; m < kHistory; ++m) {
                endOfUnit[m][u] = *value[m];
            }
        }
        for (int u = 0; u < kHistory; ++u) {
            for (int v = 0; v < kHistory; ++v) {
                gram[u][v] = std::inner_product(basis.begin() + u * n, basis.begin() + (u + 1) * n,
                                                basis.begin() + v * n, 0.0);
            }
        }
    }

    std::int16_t* Lane(std::size_t lane) {
        return lanes.data() + lane / kLanes * subBlockFrames * kLanes + lane % kLanes;
    }

    // Takes frames into the group, and the group through the filter when it is whole.
    void Weigh(const std::int16_t* samples, std::size_t frames) {
        while (frames > 0) {
            const std::size_t n = std::min(frames, subBlockFrames - inSubBlock);
            if (channels == 2) {
                std::int16_t* to = Lane(filled * 2) + inSubBlock * kLanes;
                for (std::size_t i = 0; i < n; ++i) {
                    to[i * kLanes] = samples[2 * i];
                    to[i * kLanes + 1] = samples[2 * i + 1];
                }
            } else {
                for (unsigned c = 0; c < channels; ++c) {
                    std::int16_t* to = Lane(filled * channels + c) + inSubBlock * kLanes;
                    for (std::size_t i = 0; i < n; ++i) {
                        to[i * kLanes] = samples[i * channels + c];
                    }
                }
            }
            samples += n * channels;
            frames -= n;
            inSubBlock += n;
            if (inSubBlock == subBlockFrames) {
                inSubBlock = 0;
                if (++filled == segments) {
                    WeighGroup();
                }
            }
        }
    }

    // The whole sub-blocks of the group through the filter, their energies into subBlocks;
    // a part of a sub-block after them moves to the front.
    void WeighGroup() {
        const std::size_t n = subBlockFrames;
        for (std::size_t lane = 0; lane < runs.size() * kLanes; ++lane) {
            LaneRun& run = runs[lane / kLanes];
            const std::size_t segment = lane / channels;
            const unsigned c = static_cast<unsigned>(lane % channels);
            double x1 = 0, x2 = 0;
            if (segment >= segments) {
                // a lane left over: nothing to weigh
            } else if (segment == 0) {
                x1 = history[c].x1;
                x2 = history[c].x2;
            } else {
                const std::int16_t* before = Lane(lane - channels);
                x1 = before[(n - 1) * kLanes];
                x2 = before[(n - 2) * kLanes];
            }
            run.x1[lane % kLanes] = x1;
            run.x2[lane % kLanes] = x2;
        }
        for (std::size_t call = 0; call < runs.size(); ++call) {
            WeighLanes(lanes.data() + call * n * kLanes, n, weighting, basis.data(), runs[call]);
        }
        for (std::size_t segment = 0; segment < filled; ++segment) {
            double sum = 0;
            for (unsigned c = 0; c < channels; ++c) {
                const std::size_t lane = segment * channels + c;
                const LaneRun& run = runs[lane / kLanes];
                const std::size_t l = lane % kLanes;
                Weighing& w = history[c];
                const double u[kHistory] = {w.s1, w.s2, w.h1, w.h2};
                double energy = run.energy[l];
                double end[kHistory];
                for (int m = 0; m < kHistory; ++m) {
                    energy += 2.0 * u[m] * run.cross[m][l];
                    end[m] = run.end[m][l];
                    for (int v = 0; v < kHistory; ++v) {
                        energy += u[m] * gram[m][v] * u[v];
                        end[m] += endOfUnit[m][v] * u[v];
                    }
                }
                const std::int16_t* x = Lane(lane);
                w = {static_cast<double>(x[(n - 1) * kLanes]),
                     static_cast<double>(x[(n - 2) * kLanes]),
                     end[0],
                     end[1],
                     end[2],
                     end[3]};
                sum += weights[c] * energy;
            }
            subBlocks.push_back(sum);
        }
        for (unsigned c = 0; c < channels && inSubBlock > 0; ++c) {
            const std::int16_t* from = Lane(filled * channels + c);
            std::int16_t* to = Lane(c);
            for (std::size_t i = 0; i < inSubBlock; ++i) {
                to[i * kLanes] = from[i * kLanes];
            }
        }
        filled = 0;
    }

    // Takes the whole sub-blocks of an unfinished group into subBlocks.
    void Settle() {
        if (filled > 0) {
            const CFlushDenormals flush;
            WeighGroup();
        }
    }

    // Energies of the blocks of `length` sub-blocks that end every `step` sub-blocks from
    // the first whole one, at or above the absolute gate.
    void GatedBlocks(std::size_t length, std::size_t step, std::vector<double>& out) const {
        const double gate = EnergyOfLoudness(kAbsoluteGate);
        const double frames = static_cast<double>(length * subBlockFrames);
        for (std::size_t end = length; end <= subBlocks.size(); end += step) {
            const double sum =
                std::accumulate(subBlocks.begin() + (end - length), subBlocks.begin() + end, 0.0);
            if (sum / frames >= gate) {
                out.push_back(sum / frames);
            }
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
    m_pState->Init(channels, sampleRate);
    m_pState->peaks = std::make_unique<CTruePeak>(channels, sampleRate);
}

CLoudnessMeter::~CLoudnessMeter() = default;

bool CLoudnessMeter::IsValid() const {
    return m_pState->peaks != nullptr;
}

void CLoudnessMeter::AddFrames(const std::int16_t* samples, std::size_t frames) {
    if (!IsValid() || frames == 0) {
        return;
    }
    State& s = *m_pState;
    const CFlushDenormals flush;
    const std::size_t stride = m_Channels;
    m_Frames += frames;
    while (frames > 0) {
        const std::size_t chunk = std::min(frames, CTruePeak::kChunk);
        s.Weigh(samples, chunk);
        if (m_Channels == 2) {
            PairToFloat(samples, chunk, s.peaks->Input(0), s.peaks->Input(1));
        } else {
            for (unsigned c = 0; c < m_Channels; ++c) {
                ToFloat(samples + c, stride, chunk, s.peaks->Input(c));
            }
        }
        for (unsigned c = 0; c < m_Channels; ++c) {
            s.peaks->Add(c, chunk);
        }
        samples += chunk * stride;
        frames -= chunk;
    }
}

LoudnessFailure CLoudnessMeter::Result(LoudnessValues& values) const {
    return AlbumResult({this}, values);
}

LoudnessFailure CLoudnessMeter::AlbumResult(const std::vector<const CLoudnessMeter*>& meters,
                                            LoudnessValues& values) {
    values = {};
    std::vector<double> blocks;     // 400 ms, every 100 ms, above the absolute gate
    std::vector<double> shortTerm;  // 3 s, every second, above the absolute gate
    bool any = false;
    std::uint64_t longest = 0;
    for (const CLoudnessMeter* m : meters) {
        if (m == nullptr || !m->IsValid()) {
            continue;
        }
        any = true;
        // The sub-blocks still in the lanes (once, after the last frames: a meter is not
        // shared before its track is measured).
        State& s = *m->m_pState;
        s.Settle();
        s.GatedBlocks(4, 1, blocks);
        s.GatedBlocks(30, 10, shortTerm);
        // A block of 400 ms needs that much audio in one track.
        longest = std::max(longest, m->m_Frames * 10 / std::max(1u, m->m_SampleRate));
        for (unsigned c = 0; c < m->m_Channels; ++c) {
            values.samplePeak = std::max(values.samplePeak, s.peaks->SamplePeak(c));
            values.truePeak = std::max(values.truePeak, s.peaks->TruePeak(c));
        }
    }
    if (!any || longest < 4) {
        return LoudnessFailure::kTooShort;
    }
    if (blocks.empty()) {
        return LoudnessFailure::kSilent;
    }
    // Integrated loudness: the mean energy of the blocks within 10 LU of the mean of all.
    const double relativeGate = std::accumulate(blocks.begin(), blocks.end(), 0.0) /
                                static_cast<double>(blocks.size()) * 0.1;
    double gated = 0;
    std::size_t count = 0;
    for (const double e : blocks) {
        if (e >= relativeGate) {
            gated += e;
            ++count;
        }
    }
    if (count == 0) {
        return LoudnessFailure::kSilent;
    }
    values.integratedLufs = LoudnessOfEnergy(gated / static_cast<double>(count));
    // Loudness range (EBU Tech 3342): from the 10th to the 95th percentile of the 3 s blocks
    // within 20 LU of their mean.
    if (!shortTerm.empty()) {
        std::sort(shortTerm.begin(), shortTerm.end());
        const double gate = std::accumulate(shortTerm.begin(), shortTerm.end(), 0.0) /
                            static_cast<double>(shortTerm.size()) * 0.01;
        const auto first = std::lower_bound(shortTerm.begin(), shortTerm.end(), gate);
        const std::size_t kept = static_cast<std::size_t>(shortTerm.end() - first);
        if (kept > 0) {
            const auto at = [&](double fraction) {
                return first[static_cast<std::ptrdiff_t>(static_cast<double>(kept - 1) * fraction +
                                                         0.5)];
            };
            values.rangeLu = LoudnessOfEnergy(at(0.95)) - LoudnessOfEnergy(at(0.1));
        }
    }
    return LoudnessFailure::kNone;
}

}  // namespace sonvara
