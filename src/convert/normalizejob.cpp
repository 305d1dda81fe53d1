#include "convert/normalizejob.h"

#include <algorithm>
#include <cmath>

#include "audio/audiowavefile.h"
#include "audio/disctrack.h"
#include "convert/blockpass.h"
#include "convert/jobtables.h"
#include "convert/peakscanjob.h"
#include "jobs/progresssink.h"
#include "platform/scopeguard.h"

namespace sonvara {

std::vector<std::int16_t> CNormalizeJob::MakeGainTable(std::int16_t gain) {
    std::vector<std::int16_t> table(65536);
    for (std::int32_t i = -32768; i <= 32767; ++i) {
        const std::int32_t j = i * gain / 100;
        table[static_cast<std::size_t>(i + 32768)] = static_cast<std::int16_t>(j > 32767    ? 32767
                                                                               : j < -32768 ? -32768
                                                                                            : j);
    }
    return table;
}

std::vector<std::int16_t> CNormalizeJob::MakeFactorTable(double factor) {
    std::vector<std::int16_t> table(65536);
    for (std::int32_t i = -32768; i <= 32767; ++i) {
        const double j = std::round(i * factor);
        table[static_cast<std::size_t>(i + 32768)] = static_cast<std::int16_t>(j > 32767    ? 32767
                                                                               : j < -32768 ? -32768
                                                                                            : j);
    }
    return table;
}

void CNormalizeJob::Setup(IDiscTrack* track, CAudioWaveFile* output, int formatType,
                          IProgressSink* sink) {
    m_pTrack = track;
    m_pOutput = output;
    m_pSink = sink;
    m_Gain = 0;
    m_Factor = 0;
    m_Writing = false;
    m_Created = false;
    if (sink != nullptr) {
        sink->SetProgress(0);
    }
    m_Format = OutputFormatForType(formatType);
}

bool CNormalizeJob::Execute() {
    auto aborted = [this] { return m_pSink != nullptr && m_pSink->IsAborted(); };
    if (m_Factor > 0) {
        m_Gain = static_cast<std::int16_t>(std::clamp(std::round(m_Factor * 100), 1.0, 32767.0));
        m_Table = MakeFactorTable(m_Factor);
    } else {
        CPeakScanJob scan;
        scan.Setup(m_pTrack, m_pSink);
        {
            auto closeOnFailure = OnFailure([&scan] { scan.Close(); });
            scan.Execute();
        }
        scan.Close();
        m_Gain = scan.GetGain();
    }
    if (aborted() || m_Gain == 0) {
        return aborted();
    }
    m_Length75 = m_pTrack->GetLengthInFrames();
    if (m_Factor <= 0) {
        m_Table = MakeGainTable(m_Gain);
    }

    auto* disc = dynamic_cast<CDiscAudioTrack*>(m_pTrack);
    if (disc != nullptr && disc->GetFile() != nullptr) {
        const CAudioFile& source = *disc->GetFile();
        if (!source.GetArtist().empty()) {
            m_pOutput->SetArtist(source.GetArtist());
        }
        if (!source.GetTitle().empty()) {
            m_pOutput->SetTitle(source.GetTitle());
        }
        if (!source.GetAlbum().empty()) {
            m_pOutput->SetAlbum(source.GetAlbum());
        }
    }
    m_pTrack->OpenStream();
    m_TrackOpen = true;
    m_pOutput->CreateOutput(m_pOutput->GetFileName(), m_Format);
    m_Writing = true;
    m_Created = true;

    std::vector<std::int16_t> buffer;
    return RunBlockPass(*m_pTrack, m_pSink, m_Length75, buffer, [this, &buffer](std::size_t bytes) {
        const std::size_t samples = bytes / 2;
        for (std::size_t i = 0; i < samples; ++i) {
            buffer[i] = m_Table[static_cast<std::size_t>(buffer[i] + 32768)];
        }
        m_pOutput->WriteData(buffer.data(), bytes);
    });
}

void CNormalizeJob::Close() {
    const bool writing = m_Writing;
    m_Writing = false;
    if (m_TrackOpen) {
        m_pTrack->CloseStream();
        m_TrackOpen = false;
    }
    if (writing) {
        m_pOutput->Finish();
        m_pOutput->SaveTags();
    }
}

}  // namespace sonvara
