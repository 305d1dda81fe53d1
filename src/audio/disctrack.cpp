#include "audio/disctrack.h"

#include "audio/audiotrack.h"
#include "platform/paths.h"

namespace sonvara {

std::int32_t CDiscAudioTrack::GetLengthInFrames() {
    if (!m_pFile) {
        return 0;
    }
    // The reciprocal of 13.3333 ms per frame (not quite the factor of CAudioTrack).
    return static_cast<std::int32_t>(m_pFile->GetLength() * 0.07500018750046876);
}

void CDiscAudioTrack::SetFile(const std::string& path) {
    m_pFile.reset();
    m_pFile = CreateArchivedAudioFile(UpperExtension(path));
    m_pFile->SetFileName(path);
    m_pFile->IsValid();
}

void CDiscAudioTrack::OpenStream() {
    if (m_pFile) {
        m_pFile->OpenStream();
    }
}

void CDiscAudioTrack::CloseStream() {
    if (m_pFile) {
        m_pFile->CloseStream();
    }
}

int CDiscAudioTrack::Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
                          std::size_t bufferSize) {
    return m_pFile ? m_pFile->Read(itemSize, itemCount, buffer, bufferSize) : -1;
}

}  // namespace sonvara
