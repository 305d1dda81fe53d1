#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/audiofile.h"
#include "convert/resampler.h"
#include "jobs/progresssink.h"

namespace sonvara {

// The read and resample buffers of a conversion job and the block loop they serve: read
// 32768 bytes, bring them to 44100 Hz stereo when the source delivers anything else, pass
// them on. Allocated once per job; nothing is allocated per block.
class CConversionLoop {
public:
    static constexpr std::size_t kReadBytes = 32768;
    static constexpr std::uint32_t kResampleFrames = 163840;

    CConversionLoop();

    // Runs the loop over source until it ends (encoders: a short block; the WAV writer: an
    // empty one) or the sink asks to stop. Returns whether it was stopped.
    bool Run(CAudioFile& source, IProgressSink* sink, bool untilShortBlock,
             const std::function<void(const void*, std::size_t)>& passOn);

    const CResampler& Resampler() const { return m_Resampler; }

private:
    std::vector<std::int16_t> m_Read;
    std::vector<std::int16_t> m_Resampled;
    CResampler m_Resampler;
};

}  // namespace sonvara
