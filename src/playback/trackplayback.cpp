#include "playback/trackplayback.h"

#include <stdexcept>

#include "audio/audiotrack.h"
#include "playback/waveplayer.h"

namespace sonvara {

CTrackPlayback::CTrackPlayback(DeviceFactory makeDevice) : m_makeDevice(std::move(makeDevice)) {}

CTrackPlayback::~CTrackPlayback() {
    StopPlaying();
}

void CTrackPlayback::Play(const std::string& path) {
    if (m_player && m_track && m_path == path) {
        m_player->Play();
        return;
    }
    StopPlaying();
    try {
        m_track = std::make_unique<CAudioTrack>(path);
    } catch (const std::invalid_argument&) {
        return;
    }
    m_player = std::make_unique<CWavePlayer>(MakeWaveOutDevice(m_makeDevice));
    m_player->Open(m_track->GetFile());
    m_path = path;
    m_player->Play();
}

void CTrackPlayback::Pause() {
    if (m_player) {
        m_player->Pause();
    }
}

void CTrackPlayback::StopPlaying() {
    if (m_player) {
        m_player->Pause();
        m_player->Close();
        m_player.reset();
    }
    m_track.reset();
    m_path.clear();
}

bool CTrackPlayback::IsPlaying() const {
    return m_player && m_player->IsPlaying();
}

}  // namespace sonvara
