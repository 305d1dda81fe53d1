#include "convert/encodingjob.h"

#include "audio/audiowavefile.h"
#include "audio/fileexception.h"
#include "convert/jobtables.h"
#include "platform/scopeguard.h"

namespace sonvara {

std::unique_ptr<CAudioFile> CEncodingJob::NewSource() const {
    if (m_WavSource) {
        return std::make_unique<CAudioWaveFile>();
    }
    return std::make_unique<CAudioMpegFile>();
}

// Opens a source for reading; a file the reader cannot deliver audio from is an error here,
// not an empty output later.
void CEncodingJob::OpenSource(CAudioFile& file, const std::string& path) const {
    file.SetFileName(path);
    if (!file.IsValid()) {
        std::string why = file.UnreadableReason();
        file.CloseStream();
        if (why.empty()) {
            why = m_WavSource ? "not a readable WAV file" : "not MPEG audio";
        }
        throw CFileException(CFileException::genericException, 0, path, why);
    }
    file.OpenStream();
    if (const std::string why = file.UnreadableReason(); !why.empty()) {
        file.CloseStream();
        throw CFileException(CFileException::genericException, 0, path, why);
    }
}

void CEncodingJob::Setup(const std::string& source, const std::string& output, int bitRateIndex,
                         int qualityIndex, bool vbr) {
    m_Open = false;
    {
        std::unique_ptr<CAudioFile> tags = NewSource();
        OpenSource(*tags, source);
        m_SourcePath = source;
        m_OutputPath = output;
        m_Settings = EncoderSettings{};
        m_Settings.vbr = vbr;
        m_Settings.tagSource = source;
        m_Settings.tagSourceIsWav = m_WavSource;
        if (!tags->GetArtist().empty()) {
            m_Settings.artist = tags->GetArtist();
        }
        if (!tags->GetTitle().empty()) {
            m_Settings.title = tags->GetTitle();
        }
        if (!tags->GetAlbum().empty()) {
            m_Settings.album = tags->GetAlbum();
        }
        tags->CloseStream();
    }
    m_Settings.bitRate = BitRateForIndex(bitRateIndex);
    m_Settings.quality = QualityForIndex(qualityIndex);
    m_pSource = NewSource();
    OpenSource(*m_pSource, source);
    const std::int32_t length = m_pSource->GetLength();
    const auto samples = static_cast<std::uint64_t>(static_cast<double>(length) * 44.1);
    auto closeSource = OnFailure([this] { m_pSource->CloseStream(); });
    m_Encoder.CreateOutput(output, m_Settings, samples);
    m_OutputPath = m_Encoder.GetFileName();
    m_Open = true;
}

bool CEncodingJob::Run(IProgressSink* sink) {
    if (!m_Open) {
        throw CFileException(CFileException::genericException, 0, m_OutputPath,
                             "the job was not set up");
    }
    return m_Loop.Run(*m_pSource, sink, true, [this](const void* data, std::size_t bytes) {
        m_Encoder.EncodeSamples(data, bytes);
    });
}

void CEncodingJob::Close() {
    if (!m_Open) {
        return;
    }
    m_Open = false;
    CScopeGuard closeSource([this] { m_pSource->CloseStream(); });
    m_Encoder.Finish();
}

}  // namespace sonvara
