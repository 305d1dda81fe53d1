#pragma once

#include <functional>
#include <memory>
#include <string>

#include "playback/waveoutdevice.h"

namespace sonvara {

class CAudioTrack;
class CWavePlayer;

// The working list's playback: the track being played and its player. "&Play Track" calls
// Play with the selected record's path, "&Stop Playing" calls Pause, and every job, edit and
// report command calls StopPlaying first.
class CTrackPlayback {
public:
    using DeviceFactory = WaveOutDeviceFactory;

    // Without a factory: the system's default output.
    explicit CTrackPlayback(DeviceFactory makeDevice = {});
    ~CTrackPlayback();
    CTrackPlayback(const CTrackPlayback&) = delete;
    CTrackPlayback& operator=(const CTrackPlayback&) = delete;

    // The same path as the track being played (exactly): resume it. Another path: stop the old
    // track, open the new one and play it from its start. A path that is neither an MP3 nor a
    // WAV file name plays nothing.
    void Play(const std::string& path);
    // Pauses; the track and its player stay, so Play with the same path resumes.
    void Pause();
    // Pauses, closes and destroys the player, and forgets the track.
    void StopPlaying();

    bool IsPlaying() const;
    // The path of the track that has a player, empty when none.
    const std::string& Path() const { return m_path; }
    CWavePlayer* Player() const { return m_player.get(); }

private:
    DeviceFactory m_makeDevice;
    std::unique_ptr<CAudioTrack> m_track;
    std::unique_ptr<CWavePlayer> m_player;
    std::string m_path;
};

}  // namespace sonvara
