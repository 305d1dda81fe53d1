#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace sonvara {

// The PCM description a wave-out device plays: 16-bit signed little-endian samples,
// interleaved channels.
struct PcmFormat {
    std::uint32_t sampleRate = 44100;
    std::uint16_t channels = 2;
    std::uint16_t bitsPerSample = 16;

    std::uint32_t BlockAlign() const { return channels * (bitsPerSample / 8u); }
    std::uint32_t BytesPerSecond() const { return BlockAlign() * sampleRate; }
};

// One buffer handed to a device. The client owns the header and its data; between Write and
// the buffer's "done" notification the device may read the data and the client must not touch
// it.
struct WaveHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t capacity = 0;  // bytes the data block holds
    std::uint32_t length = 0;    // bytes to play; 0 marks the end of the data
    bool prepared = false;       // set by Prepare, cleared by Unprepare
    bool inQueue = false;        // between Write and the done notification
    bool done = true;            // the device has finished with it
};

// A wave output device. Every call comes from one thread, the owner's, and so do the "buffer
// done" notifications: each written buffer comes back exactly once, through the event loop of
// that thread (never from inside a call), in the order the buffers were written. Reset returns
// every buffer still queued; Close forgets notifications not yet delivered.
class IWaveOutDevice {
public:
    using DoneHandler = std::function<void(WaveHeader*)>;

    virtual ~IWaveOutDevice() = default;

    // Opens the device for the format; false when it cannot play (no sound server, a format it
    // refuses). A device that is open is closed first.
    virtual bool Open(const PcmFormat& format, DoneHandler onDone) = 0;
    virtual bool IsOpen() const = 0;
    // Resets and closes; pending notifications are dropped.
    virtual void Close() = 0;
    // False when the device is not open or the header has no data.
    virtual bool Prepare(WaveHeader& header) = 0;
    // False while the buffer is queued.
    virtual bool Unprepare(WaveHeader& header) = 0;
    // Queues the buffer behind those written before; false when the device is not open or the
    // buffer is not prepared or still queued.
    virtual bool Write(WaveHeader& header) = 0;
    // Stops playing where it is; queued buffers stay queued.
    virtual void Pause() = 0;
    // Plays on after Pause.
    virtual void Restart() = 0;
    // Drops what is queued: every queued buffer comes back as done. A paused device stays paused.
    virtual void Reset() = 0;
};

// The system's default output (Qt Multimedia).
std::unique_ptr<IWaveOutDevice> CreateDefaultWaveOutDevice();
// Makes the device of each new player; the program holds one and hands it to what plays (tests:
// the test device). Empty: the system's default output.
using WaveOutDeviceFactory = std::function<std::unique_ptr<IWaveOutDevice>()>;
// The factory's device, or the default output for an empty factory.
std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice(const WaveOutDeviceFactory& factory);

}  // namespace sonvara
