#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sonvara {

// Band-limited sample-rate conversion of 16-bit audio (one or two channels): a Kaiser-windowed
// sinc filter read from a table of phases with linear interpolation between them. The output
// holds exactly ceil(input frames * out rate / in rate) frames once Flush has run.
class CSincResampler {
public:
    bool Init(std::uint32_t inRate, std::uint32_t outRate, int channels);

    // Appends the output frames that the input so far determines.
    void Process(const std::int16_t* in, std::size_t frames, std::vector<std::int16_t>& out);
    // Appends the rest, as if silence followed the input.
    void Flush(std::vector<std::int16_t>& out);
    // Upper bound of the frames Process and Flush together give for inFrames more input.
    std::size_t MaxOutputFrames(std::size_t inFrames) const;

private:
    void Produce(std::int64_t limitIndex, std::uint64_t maxOutput, std::vector<std::int16_t>& out);

    static constexpr int kPhases = 256;
    std::uint32_t m_InRate = 0;
    std::uint32_t m_OutRate = 0;
    int m_Channels = 0;
    int m_Half = 0;  // taps each side of the centre
    // (kPhases + 1) rows of 2 * m_Half taps, shared by converters of the same two rates
    std::shared_ptr<const std::vector<float>> m_Table;
    // When the two rates have few output phases (out rate / their greatest common divisor,
    // 147 for 48000 to 44100 Hz), each phase's interpolated row, made once from m_Table
    // exactly as Produce would make it; empty otherwise.
    std::shared_ptr<const std::vector<float>> m_Bank;
    std::uint32_t m_PhaseStep = 1;  // greatest common divisor of the two rates
    std::vector<float> m_History;   // interleaved input frames from m_HistoryStart on
    std::int64_t m_HistoryStart = 0;
    std::uint64_t m_TotalIn = 0;
    std::uint64_t m_NextOut = 0;
};

}  // namespace sonvara
