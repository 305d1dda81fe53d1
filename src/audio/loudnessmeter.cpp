#include "audio/loudnessmeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace sonvara {

struct CLoudnessMeter::State {
    ebur128_state* st = nullptr;
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
    m_pState->st = ebur128_init(
        channels, sampleRate,
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
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
    m_Frames += frames;
}

namespace {

double Peak(ebur128_state* st, unsigned channels, int (*get)(ebur128_state*, unsigned, double*)) {
    double peak = 0;
    for (unsigned c = 0; c < channels; ++c) {
        double value = 0;
        if (get(st, c, &value) == EBUR128_SUCCESS) {
            peak = std::max(peak, value);
        }
    }
    return peak;
}

}  // namespace

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
            values.samplePeak = std::max(values.samplePeak,
                                         Peak(m->m_pState->st, m->m_Channels, ebur128_sample_peak));
            values.truePeak =
                std::max(values.truePeak, Peak(m->m_pState->st, m->m_Channels, ebur128_true_peak));
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
