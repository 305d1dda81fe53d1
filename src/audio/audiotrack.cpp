#include "audio/audiotrack.h"

#include <stdexcept>

#include "audio/archive.h"
#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/trackkind.h"
#include "platform/paths.h"

namespace sonvara {

std::unique_ptr<CAudioFile> CreateTrackAudioFile(const std::string& upperExtension) {
    switch (TrackKindOf(upperExtension)) {
        case TrackKind::kMpeg: return std::make_unique<CAudioMpegFile>();
        case TrackKind::kWave: return std::make_unique<CAudioWaveFile>();
        case TrackKind::kNone: break;
    }
    return nullptr;
}

std::unique_ptr<CAudioFile> CreateArchivedAudioFile(const std::string& upperExtension) {
    if (TrackKindOf(upperExtension) == TrackKind::kMpeg || upperExtension == ".DLL") {
        return std::make_unique<CAudioMpegFile>();
    }
    return std::make_unique<CAudioWaveFile>();
}

CAudioTrack::CAudioTrack(const std::string& path) : m_Extension(UpperExtension(path)) {
    m_pFile = CreateTrackAudioFile(m_Extension);
    if (!m_pFile) {
        throw std::invalid_argument("not an MP3 or WAV file name: " + path);
    }
    m_pFile->SetFileName(path);
    m_pFile->OpenStream();
    m_pFile->CloseStream();
}

CAudioTrack::CAudioTrack(std::unique_ptr<CAudioFile> file) : m_pFile(std::move(file)) {
    if (m_pFile) {
        m_Extension = UpperExtension(m_pFile->GetFileName());
    }
}

CAudioTrack::~CAudioTrack() = default;

void CAudioTrack::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive << GetFileName();
        return;
    }
    std::string path;
    archive >> path;
    m_Extension = UpperExtension(path);
    m_pFile = CreateArchivedAudioFile(m_Extension);
    m_pFile->SetFileName(path);
    m_pFile->IsValid();
    m_pFile->CloseStream();
}

std::string CAudioTrack::GetFileName() const {
    return m_pFile ? m_pFile->GetFileName() : std::string();
}

std::int32_t CAudioTrack::GetLengthInFrames() const {
    if (!m_pFile) {
        return 0;
    }
    // The reciprocal of 13.33333 ms per frame, as lengths were always converted.
    return static_cast<std::int32_t>(m_pFile->GetLength() * 0.07500001875000468);
}

}  // namespace sonvara
