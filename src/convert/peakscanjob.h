#pragma once

#include <cstdint>
#include <vector>

#include "jobs/audiojob.h"

namespace sonvara {

class IDiscTrack;
class IProgressSink;

// The first normalising pass: the peak sample magnitude of a track and the gain in percent
// that brings it to 95 % of full scale.
class CPeakScanJob : public CAudioJob {
public:
    // Closes the track and derives the gain from the peak.
    void Close() override;
    // Scans; true when stopped before a block. A stop after a block raises CUserException.
    bool Execute() override;
    void Setup(IDiscTrack* track, IProgressSink* sink);

    // 100 when the peak is above 31129.6; 0 for a silent track (nothing to scale); else
    // 3112960 / peak, at most 32767.
    std::int16_t GetGain() const { return m_Gain; }
    std::int32_t GetPeak() const { return m_Peak; }

private:
    IProgressSink* m_pSink = nullptr;
    IDiscTrack* m_pTrack = nullptr;
    std::int16_t m_Gain = 0;
    std::int32_t m_Peak = -1;
    std::int32_t m_Length75 = 0;
    std::vector<std::int16_t> m_Buffer;
};

}  // namespace sonvara
