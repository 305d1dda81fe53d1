// The meter's own K-weighting, gating and true-peak interpolation against libebur128 (the
// reference implementation of EBU R 128 that loudgain uses) on the same samples.
#include "audio/loudnessmeter.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::test {
namespace {

struct Signal {
    std::string name;
    unsigned channels;
    unsigned rate;
    std::vector<std::int16_t> pcm;  // interleaved
};

// Interleaved samples: sum of a sine per channel (amplitude and frequency by channel), a
// low-passed noise, silence where `silent` says, and an envelope.
template <class Envelope, class Silent>
Signal Make(std::string name, unsigned channels, unsigned rate, double seconds, double sine,
            double noise, Envelope envelope, Silent silent) {
    Signal s{std::move(name), channels, rate, {}};
    const std::size_t frames = static_cast<std::size_t>(seconds * rate);
    s.pcm.resize(frames * channels);
    std::uint32_t seed = 12345;
    std::vector<double> low(channels, 0.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        for (unsigned c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            low[c] = 0.8 * low[c] + 0.2 * (static_cast<double>(seed >> 8) / (1 << 24) - 0.5);
            double v =
                sine / (1 + c) * std::sin(2 * M_PI * 997.0 * (1 + 0.5 * c) * t) + noise * low[c];
            v *= envelope(t);
            if (silent(t)) {
                v = 0;
            }
            s.pcm[i * channels + c] =
                static_cast<std::int16_t>(std::clamp(std::lround(v * 32767.0), -32768L, 32767L));
        }
    }
    return s;
}

// The test signals: EBU Tech 3341's 1 kHz stereo sine at -23 dBFS, loud and quiet parts in
// turn (gating, range), digital silence around a short burst (gating, filter memory that
// decays to nothing), a mono signal at 22.05 kHz (100 ms is an odd number of samples), a
// 5.1 layout (channel weights), a sine at a quarter of the rate whose samples miss its crests
// by 3 dB (true peak), and quiet noise with crests (the true peak's passing over).
std::vector<Signal> Signals() {
    const auto flat = [](double) { return 1.0; };
    const auto never = [](double) { return false; };
    std::vector<Signal> out;
    {
        Signal sine{"tech3341-sine", 2, 48000, {}};
        const double amplitude = 32767.0 * std::pow(10.0, -23.0 / 20.0);
        for (std::size_t i = 0; i < 48000 * 20; ++i) {
            const auto v = static_cast<std::int16_t>(std::lround(
                amplitude * std::sin(2 * M_PI * 1000.0 * static_cast<double>(i) / 48000)));
            sine.pcm.push_back(v);
            sine.pcm.push_back(v);
        }
        out.push_back(sine);
    }
    out.push_back(Make(
        "loud-quiet", 2, 44100, 30, 0.3, 0.6,
        [](double t) { return static_cast<int>(t / 5) % 2 == 0 ? 1.0 : 0.03; }, never));
    out.push_back(Make("silence-around-burst", 2, 44100, 20, 0.5, 0.5, flat,
                       [](double t) { return t < 8 || t > 10.5; }));
    out.push_back(Make(
        "mono-22k", 1, 22050, 15, 0.2, 0.8, [](double t) { return 0.5 + 0.5 * std::sin(t); },
        never));
    out.push_back(Make("surround-5.1", 6, 48000, 12, 0.4, 0.4, flat, never));
    {
        Signal quarter{"quarter-rate-sine", 2, 44100, {}};
        for (std::size_t i = 0; i < 44100 * 5; ++i) {
            const double v = 0.9 * std::sin(M_PI / 2 * static_cast<double>(i) + M_PI / 4);
            quarter.pcm.push_back(static_cast<std::int16_t>(std::lround(v * 32767.0)));
            quarter.pcm.push_back(static_cast<std::int16_t>(std::lround(v * 16000.0)));
        }
        out.push_back(quarter);
    }
    // A lone sample of 0.8, then two of 0.7 side by side, whose crest between them is higher:
    // the bound that passes over stretches must not pass over these.
    Signal crest = Make("late-crest", 2, 96000, 10, 0.0, 0.3, flat, never);
    crest.pcm[96000 * 3 * 2] = static_cast<std::int16_t>(0.8 * 32767);
    crest.pcm[96000 * 8 * 2] = crest.pcm[(96000 * 8 + 1) * 2] =
        static_cast<std::int16_t>(0.7 * 32767);
    out.push_back(crest);
    return out;
}

struct Reference {
    double integrated = 0, range = 0, samplePeak = 0, truePeak = 0;
};

Reference Measure(const std::vector<const Signal*>& signals) {
    std::vector<ebur128_state*> states;
    Reference r;
    for (const Signal* s : signals) {
        ebur128_state* st = ebur128_init(
            s->channels, s->rate,
            EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
        ebur128_add_frames_short(st, s->pcm.data(), s->pcm.size() / s->channels);
        for (unsigned c = 0; c < s->channels; ++c) {
            double peak = 0;
            ebur128_sample_peak(st, c, &peak);
            r.samplePeak = std::max(r.samplePeak, peak);
            ebur128_true_peak(st, c, &peak);
            r.truePeak = std::max(r.truePeak, peak);
        }
        states.push_back(st);
    }
    ebur128_loudness_global_multiple(states.data(), states.size(), &r.integrated);
    ebur128_loudness_range_multiple(states.data(), states.size(), &r.range);
    for (ebur128_state* st : states) {
        ebur128_destroy(&st);
    }
    return r;
}

// Fed in pieces of uneven sizes, as a decoder delivers them.
std::unique_ptr<CLoudnessMeter> Meter(const Signal& s) {
    auto meter = std::make_unique<CLoudnessMeter>(s.channels, s.rate);
    const std::size_t frames = s.pcm.size() / s.channels;
    const std::size_t pieces[] = {1, 4097, 1152, 333, 65536, 2};
    for (std::size_t at = 0, k = 0; at < frames; ++k) {
        const std::size_t n = std::min(pieces[k % std::size(pieces)], frames - at);
        meter->AddFrames(s.pcm.data() + at * s.channels, n);
        at += n;
    }
    return meter;
}

void ExpectAgree(const LoudnessValues& ours, const Reference& ref) {
    EXPECT_NEAR(ours.integratedLufs, ref.integrated, 0.01);
    EXPECT_NEAR(ours.rangeLu, ref.range, 0.01);
    EXPECT_NEAR(ours.samplePeak, ref.samplePeak, 1e-6);
    EXPECT_NEAR(ours.TruePeakDbtp(), 20 * std::log10(ref.truePeak), 0.01);
}

TEST(LoudnessMeter, AgreesWithLibebur128) {
    const std::vector<Signal> signals = Signals();
    std::vector<std::unique_ptr<CLoudnessMeter>> meters;
    for (const Signal& s : signals) {
        SCOPED_TRACE(s.name);
        meters.push_back(Meter(s));
        LoudnessValues ours;
        ASSERT_EQ(meters.back()->Result(ours), LoudnessFailure::kNone);
        ExpectAgree(ours, Measure({&s}));
    }
    // EBU Tech 3341 case 1 reads its level; the quarter-rate sine's true peak is its crest,
    // 3 dB above its samples.
    LoudnessValues v;
    meters[0]->Result(v);
    EXPECT_NEAR(v.integratedLufs, -23.0, 0.1);
    meters[5]->Result(v);
    EXPECT_NEAR(v.samplePeak, 0.9 * std::sqrt(0.5), 0.001);
    EXPECT_GT(v.TruePeakDbtp(), 20 * std::log10(v.samplePeak) + 2.9);

    // An album of tracks at two rates and channel counts: all their blocks as one programme.
    SCOPED_TRACE("album");
    LoudnessValues album;
    ASSERT_EQ(
        CLoudnessMeter::AlbumResult({meters[1].get(), meters[2].get(), meters[3].get()}, album),
        LoudnessFailure::kNone);
    ExpectAgree(album, Measure({&signals[1], &signals[2], &signals[3]}));
}

}  // namespace
}  // namespace sonvara::test
