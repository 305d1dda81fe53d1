#include "playback/waveplayer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include <cstring>

namespace sonvara {

namespace {

// The wait cursor while Play fills the buffers, where there is a window.
class CWaitCursor {
public:
    CWaitCursor() : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (m_shown) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        }
    }
    ~CWaitCursor() {
        if (m_shown) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool m_shown;
};

}  // namespace

void HandleBufferDone(CWavePlayer& player) {
    player.OnBufferDone(false);
    if (!player.IsActive()) {
        player.SeekPercent(0);
    }
}

CWavePlayer::CWavePlayer(std::unique_ptr<IWaveOutDevice> device)
    : m_device(device ? std::move(device) : CreateDefaultWaveOutDevice()),
      m_data(new std::uint8_t[static_cast<std::size_t>(kMaxBuffers) * kBufferBytes]()) {
    for (int i = 0; i < kMaxBuffers; ++i) {
        WaveHeader& h = m_headers[i];
        h.data = m_data.get() + static_cast<std::size_t>(i) * kBufferBytes;
        h.capacity = kBufferBytes;
        h.length = kBufferBytes;
    }
    // A device that keeps its buffers after a reset: give up on them rather than stay silent.
    m_settleBound.setSingleShot(true);
    m_settleBound.setInterval(kSettleBoundMs);
    m_settleBound.callOnTimeout([this] {
        m_withDevice.fill(false);
        EndSettling();
    });
}

CWavePlayer::~CWavePlayer() {
    // Silence first; Close does nothing while playing.
    Pause();
    Close();
    CloseDevice();
}

void CWavePlayer::Open(CAudioFile* file, Notify onBufferDone) {
    m_playing = false;
    m_pFile = file;
    // The stream is opened before the format is taken: what Read delivers (a WAV file in a
    // compressed format comes out as 44100 Hz stereo) is what the device must play.
    if (m_pFile != nullptr) {
        m_pFile->OpenStream();
        m_format.sampleRate = m_pFile->GetDeliveredSampleRate();
        m_format.channels = static_cast<std::uint16_t>(m_pFile->GetDeliveredChannels());
    } else {
        m_format.sampleRate = 0;
        m_format.channels = 0;
    }
    m_format.bitsPerSample = 16;
    OpenDevice(std::move(onBufferDone));
}

void CWavePlayer::OpenDevice(Notify onBufferDone) {
    if (m_device->IsOpen()) {
        CloseDevice();
    }
    m_notify = std::move(onBufferDone);
    m_bufferCount = 0;
    if (m_pFile != nullptr &&
        m_device->Open(m_format, [this](WaveHeader* header) { OnDeviceDone(header); })) {
        for (int i = 0; i < kMaxBuffers; ++i) {
            WaveHeader& h = m_headers[i];
            std::memset(h.data, 0, kBufferBytes);
            h.length = kBufferBytes;
            h.done = true;
            h.inQueue = false;
            if (!m_device->Prepare(h)) {
                break;
            }
            ++m_bufferCount;
        }
    }
    // Without a device no buffer is prepared, and Play does nothing audible.
    m_withDevice.fill(false);
    m_positionMs = 0;
    m_next = 0;
    m_queued = 0;
}

void CWavePlayer::CloseDevice() {
    if (!m_device->IsOpen()) {
        return;
    }
    m_device->Pause();
    m_device->Reset();
    for (int i = 0; i < m_bufferCount; ++i) {
        m_device->Unprepare(m_headers[i]);
    }
    m_device->Close();
    m_withDevice.fill(false);
    m_settling = false;
    m_settleBound.stop();
    m_bufferCount = 0;
    m_next = 0;
    m_queued = 0;
}

void CWavePlayer::Play() {
    if (m_playing) {
        return;
    }
    m_playing = true;
    if (m_settling) {
        return;  // plays on once the device has handed its buffers back
    }
    CWaitCursor wait;
    m_device->Pause();
    FillBuffers(true);
    m_device->Restart();
}

void CWavePlayer::Pause() {
    m_device->Pause();
    m_playing = false;
}

void CWavePlayer::Close() {
    if (m_playing) {
        return;
    }
    CloseDevice();
    if (m_pFile != nullptr) {
        m_pFile->CloseStream();
    }
}

void CWavePlayer::Hand(int index, std::uint32_t length) {
    WaveHeader& h = m_headers[index];
    h.length = length;
    // The result is not examined: a buffer the device refuses never comes back, and the waits
    // end at their bound.
    m_withDevice[index] = m_device->Write(h);
}

void CWavePlayer::FillBuffers(bool prime) {
    if (!m_playing || m_settling || m_queued >= m_bufferCount || m_pFile == nullptr) {
        return;
    }
    do {
        WaveHeader& h = m_headers[m_next];
        const int n = m_pFile->Read(kBufferBytes, 1, h.data, kBufferBytes);
        Hand(m_next, n < 1 ? 0 : static_cast<std::uint32_t>(n));
        if (n < 1 && !prime) {
            // The end of the data: this buffer is not counted, and when it comes back the
            // count reaches -1.
            m_playing = false;
            return;
        }
        ++m_queued;
        m_next = static_cast<std::int16_t>((m_next + 1) % m_bufferCount);
    } while (m_queued < m_bufferCount);
}

void CWavePlayer::OnDeviceDone(WaveHeader* header) {
    const auto index = header - m_headers.data();
    if (index < 0 || index >= kMaxBuffers || !m_withDevice[index]) {
        return;  // a buffer the player had already given up on
    }
    m_withDevice[index] = false;
    if (m_settling) {
        // Dropped by the reset, not played: taken in without the client.
        EndSettling();
        return;
    }
    if (m_notify) {
        // A copy: the client may open the player again from its handler.
        const Notify notify = m_notify;
        notify();
    } else {
        HandleBufferDone(*this);
    }
}

void CWavePlayer::OnBufferDone(bool prime) {
    --m_queued;
    if (m_pFile == nullptr) {
        return;
    }
    m_positionMs = m_pFile->GetPosition();
    if (!m_playing) {
        return;
    }
    // The end of the track is the end of the data alone. (A test of the position against the
    // length would cut the track short: a WAV file's length is stated 400 ms short, and the
    // read position runs a whole ring of buffers ahead of what is heard.)
    FillBuffers(prime);
}

bool CWavePlayer::IsActive() const {
    return m_playing || m_queued != -1;
}

void CWavePlayer::ResetDevice() {
    m_device->Reset();
    for (const bool withDevice : m_withDevice) {
        if (withDevice) {
            // Their notifications are still to come: the ring is refilled after the last.
            if (!m_settling) {
                m_settling = true;
                m_settleBound.start();
            }
            return;
        }
    }
    m_settling = true;
    EndSettling();
}

void CWavePlayer::EndSettling() {
    if (!m_settling) {
        return;
    }
    for (const bool withDevice : m_withDevice) {
        if (withDevice) {
            return;
        }
    }
    m_settling = false;
    m_settleBound.stop();
    m_next = 0;
    m_queued = 0;
    if (m_playing && m_bufferCount > 0) {
        CWaitCursor wait;
        FillBuffers(true);
        m_device->Restart();
    }
}

void CWavePlayer::Flush() {
    if (!m_playing) {
        return;
    }
    m_playing = false;
    ResetDevice();
}

bool CWavePlayer::SeekPercent(int percent) {
    // Playing (or about to play on after an earlier jump) goes on from the new position.
    const bool wasPlaying = m_playing;
    m_playing = false;
    ResetDevice();
    if (m_pFile != nullptr) {
        m_positionMs = static_cast<std::int32_t>(static_cast<std::int64_t>(m_pFile->GetLength()) *
                                                 percent / 100);
        m_pFile->Seek(m_positionMs);
    }
    if (wasPlaying) {
        m_playing = true;
        if (!m_settling) {
            FillBuffers(true);
            m_device->Restart();
        }
    }
    return true;
}

}  // namespace sonvara
