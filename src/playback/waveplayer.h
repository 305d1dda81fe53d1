#pragma once

#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/audiofile.h"
#include "playback/waveoutdevice.h"

namespace sonvara {

// Plays one audio file through a wave-out device: a ring of 15 buffers of 8192 bytes, each
// refilled with one Read when the device hands it back. It has no thread: the device's "buffer
// done" notifications arrive through the event loop of the thread that owns the player, and the
// client's handler passes each on (HandleBufferDone does what a client does). Every call belongs
// to that thread, and no call waits: a jump or a flush resets the device and returns at once;
// the buffers the reset hands back are taken in as their notifications arrive ("settling"), and
// only then does playing go on from the new position. Nothing else runs inside a call, so a
// client may destroy the player from any event.
class CWavePlayer {
public:
    static constexpr int kMaxBuffers = 15;
    static constexpr std::uint32_t kBufferBytes = 8192;
    // The longest the player waits for the device to hand back its buffers after a reset; a
    // device that keeps them longer is given up on.
    static constexpr int kSettleBoundMs = 2000;

    using Notify = std::function<void()>;

    // Without a device: the system's default output.
    explicit CWavePlayer(std::unique_ptr<IWaveOutDevice> device = nullptr);
    virtual ~CWavePlayer();
    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;

    // Starts or resumes playing; nothing while playing.
    virtual void Play();
    // Closes the device, frees the buffers and closes the file's stream; nothing while playing.
    virtual void Close();
    // Takes the file (the client keeps owning it), opens its stream and the device; stopped at
    // 0 ms. onBufferDone is called for every buffer the device hands back; empty: the player
    // calls HandleBufferDone itself.
    virtual void Open(CAudioFile* file, Notify onBufferDone = {});
    // Pauses the device; the queued buffers stay queued.
    void Pause();
    // A buffer came back: count it, take the position, refill while playing.
    void OnBufferDone(bool prime);
    // False only once playback has run off the end and the last buffer has come back.
    bool IsActive() const;
    // Jumps to percent (0 ... 100) of the length; keeps playing if it was (from the new
    // position once the device has handed its buffers back). Always true.
    bool SeekPercent(int percent);
    // Stops at once: the device drops what it holds and the buffers come back.
    void Flush();
    // Buffers dropped by a reset are still on their way back; nothing is written meanwhile.
    bool IsSettling() const { return m_settling; }

    // The position in milliseconds: the file's read position at the last finished buffer, or
    // the target of the last jump.
    std::int32_t GetPosition() const { return m_positionMs; }
    bool IsPlaying() const { return m_playing; }
    bool IsOpen() const { return m_device->IsOpen(); }
    int BufferCount() const { return m_bufferCount; }
    int QueuedCount() const { return m_queued; }
    const PcmFormat& Format() const { return m_format; }
    IWaveOutDevice& Device() { return *m_device; }

private:
    void OpenDevice(Notify onBufferDone);
    void CloseDevice();
    void FillBuffers(bool prime);
    void Hand(int index, std::uint32_t length);
    void ResetDevice();
    void EndSettling();
    void OnDeviceDone(WaveHeader* header);

    std::int32_t m_positionMs = 0;
    bool m_playing = false;  // playing, or to play on once settled
    bool m_settling = false;
    std::int16_t m_queued = 0;
    std::int16_t m_next = 0;
    std::int16_t m_bufferCount = 0;
    std::unique_ptr<IWaveOutDevice> m_device;
    std::array<WaveHeader, kMaxBuffers> m_headers{};
    std::array<bool, kMaxBuffers> m_withDevice{};
    std::unique_ptr<std::uint8_t[]> m_data;  // kMaxBuffers blocks of kBufferBytes, allocated once
    PcmFormat m_format;
    CAudioFile* m_pFile = nullptr;
    Notify m_notify;
    QTimer m_settleBound;
};

// What a client does with each notification: OnBufferDone (false), and once the end of the
// track has come back, SeekPercent (0), which rewinds and leaves the player stopped.
void HandleBufferDone(CWavePlayer& player);

}  // namespace sonvara
