#include "playback/qtwaveoutdevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>

namespace sonvara {

namespace {

constexpr int kPumpMs = 10;
// The sink's buffer is asked for about as long as the player's 15 buffers of 8192 bytes last
// at 44100 Hz stereo.
constexpr int kSinkBufferMs = 700;
const std::uint8_t kZeros[8192] = {};
// A stream with unplayed data whose position has not moved for this long is started again.
constexpr qint64 kStallMs = 200;

}  // namespace

CQtWaveOutDevice::CQtWaveOutDevice() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kPumpMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Pump(); });
}

CQtWaveOutDevice::~CQtWaveOutDevice() {
    Close();
}

bool CQtWaveOutDevice::Open(const PcmFormat& format, DoneHandler onDone) {
    Close();
    if (format.sampleRate == 0 || format.channels == 0 || format.bitsPerSample != 16) {
        return false;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return false;
    }
    QAudioFormat qformat;
    qformat.setSampleRate(static_cast<int>(format.sampleRate));
    qformat.setChannelCount(format.channels);
    qformat.setSampleFormat(QAudioFormat::Int16);
    m_format = format;
    m_sink = std::make_unique<QAudioSink>(device, qformat);
    const qint64 bufferBytes =
        static_cast<qint64>(format.BytesPerSecond()) * kSinkBufferMs / 1000 / format.BlockAlign();
    m_sink->setBufferSize(static_cast<qsizetype>(bufferBytes * format.BlockAlign()));
    m_notifier.SetHandler(std::move(onDone));
    m_paused = false;
    if (!StartStream()) {
        m_sink.reset();
        m_notifier.SetHandler({});
        return false;
    }
    return true;
}

bool CQtWaveOutDevice::StartStream() {
    m_io = m_sink->start();
    m_kicked = false;
    m_played = 0;
    m_sinceProgress.start();
    m_written = 0;
    m_queuedEnd = 0;
    m_realEnd = 0;
    m_padded = false;
    if (m_io == nullptr || m_sink->error() != QAudio::NoError) {
        m_io = nullptr;
        return false;
    }
    if (m_paused) {
        m_sink->suspend();
    }
    return true;
}

void CQtWaveOutDevice::EndStream() {
    m_timer.stop();
    if (m_io != nullptr) {
        // The sink's reset ends the stream at once and drops what the server still holds.
        m_sink->reset();
    }
    m_io = nullptr;
    m_pending.clear();
    while (!m_queue.empty()) {
        WaveHeader* header = m_queue.front().header;
        m_queue.pop_front();
        m_notifier.Complete(*header);
    }
    m_written = 0;
    m_queuedEnd = 0;
    m_realEnd = 0;
    m_padded = false;
}

void CQtWaveOutDevice::Close() {
    if (!m_sink) {
        return;
    }
    EndStream();
    m_notifier.Forget();
    m_notifier.SetHandler({});
    m_sink.reset();
}

qsizetype CQtWaveOutDevice::SinkBufferSize() const {
    return m_sink ? m_sink->bufferSize() : 0;
}

bool CQtWaveOutDevice::Prepare(WaveHeader& header) {
    if (!m_sink || header.data == nullptr || header.capacity == 0) {
        return false;
    }
    header.prepared = true;
    return true;
}

bool CQtWaveOutDevice::Unprepare(WaveHeader& header) {
    if (header.inQueue) {
        return false;
    }
    header.prepared = false;
    return true;
}

bool CQtWaveOutDevice::Write(WaveHeader& header) {
    if (!m_sink || !header.prepared || header.inQueue || header.length > header.capacity) {
        return false;
    }
    if (m_io == nullptr && !StartStream()) {
        return false;
    }
    header.inQueue = true;
    header.done = false;
    // Whole sample frames only: a ragged tail would shift every later sample between channels.
    const qint64 length = header.length - header.length % m_format.BlockAlign();
    if (length > 0) {
        m_pending.push_back({header.data, length});
        m_queuedEnd += length;
        m_realEnd = m_queuedEnd;
        m_padded = false;
    }
    // An empty buffer is done once the last real sample before it has been played.
    m_queue.push_back({&header, m_realEnd});
    if (length == 0 && !m_padded) {
        // The end of the data: silence of at least the sink's buffer behind it.
        const qint64 align = m_format.BlockAlign();
        const qint64 silence = (m_sink->bufferSize() + m_sink->bufferSize() / 2) / align * align;
        m_pending.push_back({nullptr, silence});
        m_queuedEnd += silence;
        m_padded = true;
    }
    if (!m_timer.isActive()) {
        m_timer.start();
    }
    return true;
}

void CQtWaveOutDevice::Pause() {
    m_paused = true;
    if (m_io != nullptr &&
        (m_sink->state() == QAudio::ActiveState || m_sink->state() == QAudio::IdleState)) {
        m_sink->suspend();
    }
}

void CQtWaveOutDevice::Restart() {
    m_paused = false;
    if (m_io != nullptr && m_sink->state() == QAudio::SuspendedState) {
        m_sink->resume();
    }
    if (!m_queue.empty() && !m_timer.isActive()) {
        m_timer.start();
    }
}

void CQtWaveOutDevice::Reset() {
    if (!m_sink) {
        return;
    }
    EndStream();
    // The next Write starts a new stream (in the paused state if the device is paused).
}

qint64 CQtWaveOutDevice::PlayedBytes() const {
    const qint64 align = m_format.BlockAlign();
    // Rounded to the nearest frame: the microseconds are truncated, and truncating again would
    // never reach the end of the last buffer.
    const double frames = static_cast<double>(m_sink->processedUSecs()) * m_format.sampleRate / 1e6;
    const qint64 byClock = static_cast<qint64>(std::llround(frames)) * align;
    // What the server has taken out of its buffer.
    const qint64 serverRead = m_written - (m_sink->bufferSize() - m_sink->bytesFree());
    return std::min(byClock, serverRead);
}

void CQtWaveOutDevice::Pump() {
    if (!m_sink) {
        m_timer.stop();
        return;
    }
    if (m_io == nullptr || m_sink->state() == QAudio::StoppedState) {
        // The stream ended under us (the server went away): nothing queued will play.
        EndStream();
        return;
    }
    if (!m_paused) {
        const qint64 align = m_format.BlockAlign();
        while (!m_pending.empty()) {
            const qint64 room = m_sink->bytesFree() / align * align;
            if (room <= 0) {
                break;
            }
            Pending& front = m_pending.front();
            qint64 chunk = std::min(room, front.left);
            const char* from = reinterpret_cast<const char*>(front.data);
            if (from == nullptr) {
                chunk = std::min<qint64>(chunk, sizeof kZeros);
                from = reinterpret_cast<const char*>(kZeros);
            }
            const qint64 n = m_io->write(from, chunk);
            if (n <= 0) {
                break;
            }
            m_written += n;
            front.left -= n;
            if (front.data != nullptr) {
                front.data += n;
            }
            if (front.left == 0) {
                m_pending.pop_front();
            }
        }
    }
    const qint64 played = std::min(PlayedBytes(), m_written);
    if (played != m_played) {
        m_played = played;
        m_sinceProgress.restart();
    }
    // The server starts a stream only once it holds its prebuffer (and again after running
    // dry): start it outright when it holds real data that does not play.
    if (!m_paused && m_written > played && played < m_realEnd &&
        (!m_kicked || m_sinceProgress.elapsed() > kStallMs)) {
        Kick();
    }
    while (!m_queue.empty() && m_queue.front().end <= played) {
        WaveHeader* header = m_queue.front().header;
        m_queue.pop_front();
        m_notifier.Complete(*header);
    }
    if (m_queue.empty() && m_pending.empty()) {
        m_timer.stop();
    }
}

void CQtWaveOutDevice::Kick() {
    // Qt 6.4's sink has no call for the server's trigger; its resume uncorks and triggers.
    if (m_sink->state() == QAudio::ActiveState || m_sink->state() == QAudio::IdleState) {
        m_sink->suspend();
    }
    if (m_sink->state() == QAudio::SuspendedState) {
        m_sink->resume();
    }
    m_kicked = true;
    m_sinceProgress.restart();
}

std::unique_ptr<IWaveOutDevice> CreateDefaultWaveOutDevice() {
    return std::make_unique<CQtWaveOutDevice>();
}

std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice(const WaveOutDeviceFactory& factory) {
    return factory ? factory() : CreateDefaultWaveOutDevice();
}

}  // namespace sonvara
