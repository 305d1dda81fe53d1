#include "convert/peakscanjob.h"

#include <cstdlib>

#include "audio/disctrack.h"
#include "convert/blockpass.h"
#include "jobs/progresssink.h"

namespace sonvara {

void CPeakScanJob::Setup(IDiscTrack* track, IProgressSink* sink) {
    m_pTrack = track;
    m_pSink = sink;
    m_Length75 = track->GetLengthInFrames();
    if (sink != nullptr) {
        sink->SetProgress(0);
    }
    track->OpenStream();
    m_Peak = -1;
    m_Gain = 0;
}

bool CPeakScanJob::Execute() {
    m_Peak = -1;
    m_Length75 = m_pTrack->GetLengthInFrames();
    bool first = true;
    return RunBlockPass(
        *m_pTrack, m_pSink, m_Length75, m_Buffer, [this, &first](std::size_t bytes) {
            const std::size_t samples = bytes / 2;
            if (first && samples > 0) {
                m_Peak = std::abs(static_cast<std::int32_t>(m_Buffer[0]));
                first = false;
            }
            for (std::size_t i = 0; i < samples; ++i) {
                const std::int32_t magnitude = std::abs(static_cast<std::int32_t>(m_Buffer[i]));
                if (magnitude > m_Peak) {
                    m_Peak = magnitude;
                }
            }
        });
}

void CPeakScanJob::Close() {
    if (m_pTrack != nullptr) {
        m_pTrack->CloseStream();
    }
    if (m_Peak > 31129.6) {
        m_Gain = 100;
    } else if (m_Peak <= 0) {
        m_Gain = 0;  // silence, or nothing read: nothing to scale
    } else {
        const double gain = 3112960.0 / m_Peak;
        m_Gain = static_cast<std::int16_t>(gain > 32767.0 ? 32767 : static_cast<int>(gain));
    }
}

}  // namespace sonvara
