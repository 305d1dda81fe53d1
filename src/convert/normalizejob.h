#pragma once

#include <cstdint>
#include <vector>

#include "audio/wavecodec/waveformat.h"
#include "jobs/audiojob.h"

namespace sonvara {

class CAudioWaveFile;
class IDiscTrack;
class IProgressSink;

// The second normalising pass: every sample through a gain table into a new WAV file.
class CNormalizeJob : public CAudioJob {
public:
    // Finishes the output, writes its tags and closes the track; throws CFileException.
    void Close() override;
    // Scans for the peak, then writes the output; true when stopped before a block (a stop
    // after a block raises CUserException). A silent track is not written at all.
    bool Execute() override;
    void Setup(IDiscTrack* track, CAudioWaveFile* output, int formatType, IProgressSink* sink);
    // Scales by this factor instead of to the 95 % peak (set after Setup; no peak scan).
    void SetFactor(double factor) { m_Factor = factor; }

    std::int16_t GetGain() const { return m_Gain; }
    // Execute created the output (a silent track creates none).
    bool Created() const { return m_Created; }
    // Sample value i maps to Table()[i + 32768].
    const std::vector<std::int16_t>& Table() const { return m_Table; }

    static std::vector<std::int16_t> MakeGainTable(std::int16_t gain);
    // Each sample times the factor, rounded and held within 16 bits.
    static std::vector<std::int16_t> MakeFactorTable(double factor);

private:
    std::int32_t m_Length75 = 0;
    IProgressSink* m_pSink = nullptr;
    std::vector<std::int16_t> m_Table;
    std::int16_t m_Gain = 0;
    double m_Factor = 0;
    WaveFormat m_Format;
    IDiscTrack* m_pTrack = nullptr;
    CAudioWaveFile* m_pOutput = nullptr;
    bool m_Writing = false;  // the output is open and Close must finish it
    bool m_Created = false;
    bool m_TrackOpen = false;
};

}  // namespace sonvara
