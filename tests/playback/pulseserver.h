#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sonvara::test {

// A private PulseAudio server for one test process: its own runtime folder, the native
// protocol on a socket in it, and a pipe sink (s16le, 44100 Hz, stereo, timed by the system
// clock) as the default sink, whose FIFO is read all the time into a capture. Start points
// PULSE_SERVER at it.
class CPulseServer {
public:
    using Clock = std::chrono::steady_clock;
    struct ReadMark {
        Clock::time_point at;
        std::size_t bytes;  // capture size after this read
    };

    CPulseServer() = default;
    ~CPulseServer();
    CPulseServer(const CPulseServer&) = delete;
    CPulseServer& operator=(const CPulseServer&) = delete;

    // False with the reason (and the server's log) when it does not come up within 20 s.
    bool Start(std::string* why);
    const std::string& Address() const { return m_address; }

    // Bytes captured so far.
    std::size_t CaptureSize();
    // The capture from byte offset `from` on, as 16-bit samples.
    std::vector<std::int16_t> CaptureFrom(std::size_t from);
    std::vector<ReadMark> Marks();

private:
    void Stop();
    void ReadLoop();

    std::string m_dir;
    std::string m_address;
    pid_t m_pid = -1;
    int m_commands = -1;  // the server's standard input; the server ends when it closes
    int m_fifo = -1;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::uint8_t> m_capture;
    std::vector<ReadMark> m_marks;
};

}  // namespace sonvara::test
