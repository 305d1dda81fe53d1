#pragma once

#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <memory>

#include "playback/donenotifier.h"
#include "playback/waveoutdevice.h"

namespace sonvara {

// The wave-out device over Qt Multimedia's QAudioSink in push mode (PulseAudio or PipeWire on
// Linux). Qt 6.4's sink tells nothing about finished buffers and its stop() drops what is still
// queued, so a timer on the owner's thread (10 ms) writes the queued buffers while the sink has
// room and retires the oldest buffer once both the played position (processedUSecs, in whole
// sample frames) and the server's read position have passed its end. A buffer of length 0 (the
// end of the data) puts at least the sink's buffer size of silence behind the last sample, so
// that a stream shorter than the server's prebuffer still plays and the server plays out every
// sample before it runs dry. A stream is started explicitly (the sink's resume triggers the
// server) as soon as it holds data, and again when it stalls with data unplayed, so that less
// data than the server's prebuffer plays too. Pause, Restart and Reset map to suspend, resume and
// reset; Reset and Close end the stream only after taking back its buffers.
class CQtWaveOutDevice : public IWaveOutDevice {
public:
    CQtWaveOutDevice();
    ~CQtWaveOutDevice() override;

    bool Open(const PcmFormat& format, DoneHandler onDone) override;
    bool IsOpen() const override { return m_sink != nullptr; }
    void Close() override;
    bool Prepare(WaveHeader& header) override;
    bool Unprepare(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;

    // The sink's buffer size in bytes (0 when closed).
    qsizetype SinkBufferSize() const;

private:
    struct Queued {
        WaveHeader* header;
        qint64 end;  // stream offset just behind its last byte
    };
    struct Pending {
        const std::uint8_t* data;  // null for silence
        qint64 left;
    };

    bool StartStream();
    void EndStream();
    void Pump();
    void Kick();
    qint64 PlayedBytes() const;

    PcmFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QPointer<QIODevice> m_io;  // owned by the sink while its stream runs (it deletes it)
    CDoneNotifier m_notifier;
    QTimer m_timer;
    std::deque<Queued> m_queue;     // written, not yet done, in write order
    std::deque<Pending> m_pending;  // bytes not yet handed to the sink, in stream order
    qint64 m_written = 0;           // bytes handed to the sink's current stream
    qint64 m_queuedEnd = 0;         // stream offset behind everything queued or pending
    qint64 m_realEnd = 0;           // stream offset behind the last real sample queued
    bool m_padded = false;          // silence already follows the last real sample
    bool m_paused = false;
    qint64 m_played = 0;            // the played position at the last pump
    QElapsedTimer m_sinceProgress;  // since the played position last moved
    bool m_kicked = false;          // the current stream has been started explicitly
};

}  // namespace sonvara
