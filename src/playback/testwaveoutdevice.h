#pragma once

#include <QTimer>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "playback/donenotifier.h"
#include "playback/waveoutdevice.h"

namespace sonvara {

// A deterministic device for tests: it "plays" one queued buffer per tick of a timer on the
// owner's thread, keeps the bytes of every buffer it played, and logs every call.
class CTestWaveOutDevice : public IWaveOutDevice {
public:
    struct Options {
        bool failOpen = false;                        // Open fails, as without a sound server
        int prepareLimit = 1000;                      // Prepare fails after this many buffers
        bool neverReturn = false;                     // buffers never come back, not even on Reset
        int tickMs = 0;                               // period of the play timer
        std::vector<std::string>* logCopy = nullptr;  // receives the log too (outlives the device)
    };

    explicit CTestWaveOutDevice(Options options);
    CTestWaveOutDevice() : CTestWaveOutDevice(Options{}) {}
    ~CTestWaveOutDevice() override;

    bool Open(const PcmFormat& format, DoneHandler onDone) override;
    bool IsOpen() const override { return m_open; }
    void Close() override;
    bool Prepare(WaveHeader& header) override;
    bool Unprepare(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;

    // What the device was told and did, one word per call: "open", "close", "prepare",
    // "unprepare", "write N" (N bytes), "pause", "restart", "reset", "done N".
    const std::vector<std::string>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // The bytes of every buffer played to its end, in order (not those dropped by Reset).
    const std::vector<std::uint8_t>& Played() const { return m_played; }
    const PcmFormat& Format() const { return m_format; }
    std::size_t QueuedCount() const { return m_queue.size(); }
    bool IsPaused() const { return m_paused; }
    int WritesOfUnpreparedOrQueued() const { return m_badWrites; }
    // Holds playing (the timer) without pausing the device: tests look at a queue at rest.
    void Hold(bool hold);

private:
    void Note(const std::string& entry);
    void Tick();
    void UpdateTimer();

    Options m_options;
    PcmFormat m_format;
    bool m_open = false;
    bool m_paused = false;
    bool m_held = false;
    int m_prepared = 0;
    int m_badWrites = 0;
    std::deque<WaveHeader*> m_queue;
    std::vector<std::uint8_t> m_played;
    std::vector<std::string> m_log;
    CDoneNotifier m_notifier;
    QTimer m_timer;
};

}  // namespace sonvara
