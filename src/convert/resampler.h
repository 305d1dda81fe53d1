#pragma once

#include <cstdint>

namespace sonvara {

// Linear-interpolation sample-rate and channel conversion of 16-bit PCM to 44100 Hz stereo,
// in 16.16 fixed point. The phase carries over from one Process to the next.
class CResampler {
public:
    CResampler() { Reset(); }

    // Back to 44100 Hz stereo in and out, phase 0.
    void Reset();
    // False, and no change, unless 100 <= rate <= 65535.
    bool SetInputRate(std::uint32_t rate);
    // False, and no change, unless the count is 1 or 2.
    bool SetInputChannels(int channels);
    void SetInput(const std::int16_t* frames, std::uint32_t count);
    void SetOutput(std::int16_t* frames, std::uint32_t count);
    void Process(std::uint32_t& consumed, std::uint32_t& produced);

    std::uint32_t GetPhase() const { return m_Phase; }

private:
    std::uint32_t m_InRate = 44100;
    int m_InChannels = 2;
    const std::int16_t* m_In = nullptr;
    std::uint32_t m_InLeft = 0;
    std::uint32_t m_OutRate = 44100;
    int m_OutChannels = 2;
    std::int16_t* m_Out = nullptr;
    std::uint32_t m_OutLeft = 0;
    std::uint32_t m_Phase = 0;
};

}  // namespace sonvara
