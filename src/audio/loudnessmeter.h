#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sonvara {

// What a loudness measurement by ITU-R BS.1770 / EBU R 128 found.
struct LoudnessValues {
    double integratedLufs = 0;  // gated integrated loudness
    double rangeLu = 0;         // loudness range (EBU Tech 3342)
    double samplePeak = 0;      // largest sample magnitude, 1.0 = full scale
    double truePeak = 0;        // largest inter-sample magnitude (4x oversampled), 1.0 = full scale
    double TruePeakDbtp() const;
};

// Why a measurement gave no loudness.
enum class LoudnessFailure {
    kNone,
    kTooShort,  // less audio than one 400 ms gating block
    kSilent,    // nothing above the absolute gate of -70 LUFS
};

// Measures one stream of interleaved 16-bit PCM. Channels 1 and 2 (and the first two of more,
// as front left and right; further channels as BS.1770 weighs them in a 5.1 layout).
class CLoudnessMeter {
public:
    CLoudnessMeter(unsigned channels, unsigned sampleRate);
    ~CLoudnessMeter();
    CLoudnessMeter(const CLoudnessMeter&) = delete;
    CLoudnessMeter& operator=(const CLoudnessMeter&) = delete;

    // False when the meter could not be made (an unusable rate or channel count).
    bool IsValid() const;
    void AddFrames(const std::int16_t* samples, std::size_t frames);
    std::uint64_t Frames() const { return m_Frames; }
    unsigned SampleRate() const { return m_SampleRate; }

    // The values, or why there are none.
    LoudnessFailure Result(LoudnessValues& values) const;
    // The values of several meters taken as one programme (an album): integrated loudness and
    // range over all their blocks, the largest peaks.
    static LoudnessFailure AlbumResult(const std::vector<const CLoudnessMeter*>& meters,
                                       LoudnessValues& values);

private:
    struct State;
    std::unique_ptr<State> m_pState;
    unsigned m_Channels = 0;
    unsigned m_SampleRate = 0;
    std::uint64_t m_Frames = 0;
};

// ReplayGain 2.0: the gain in dB that brings a loudness to the reference of -18 LUFS.
inline constexpr double kReplayGainReferenceLufs = -18.0;
inline double ReplayGainDb(double integratedLufs) {
    return kReplayGainReferenceLufs - integratedLufs;
}

}  // namespace sonvara
