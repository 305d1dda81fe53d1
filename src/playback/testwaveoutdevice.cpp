#include "playback/testwaveoutdevice.h"

namespace sonvara {

CTestWaveOutDevice::CTestWaveOutDevice(Options options) : m_options(options) {
    m_timer.setInterval(m_options.tickMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
}

CTestWaveOutDevice::~CTestWaveOutDevice() {
    Close();
}

bool CTestWaveOutDevice::Open(const PcmFormat& format, DoneHandler onDone) {
    Close();
    Note("open");
    if (m_options.failOpen) {
        return false;
    }
    m_format = format;
    m_open = true;
    m_paused = false;
    m_prepared = 0;
    m_notifier.SetHandler(std::move(onDone));
    return true;
}

void CTestWaveOutDevice::Close() {
    if (!m_open) {
        return;
    }
    Reset();
    Note("close");
    m_notifier.Forget();
    m_notifier.SetHandler({});
    m_timer.stop();
    m_open = false;
}

bool CTestWaveOutDevice::Prepare(WaveHeader& header) {
    if (!m_open || header.data == nullptr || m_prepared >= m_options.prepareLimit) {
        return false;
    }
    Note("prepare");
    ++m_prepared;
    header.prepared = true;
    return true;
}

bool CTestWaveOutDevice::Unprepare(WaveHeader& header) {
    if (header.inQueue) {
        return false;
    }
    Note("unprepare");
    header.prepared = false;
    return true;
}

bool CTestWaveOutDevice::Write(WaveHeader& header) {
    if (!m_open || !header.prepared || header.inQueue || header.length > header.capacity) {
        ++m_badWrites;
        return false;
    }
    Note("write " + std::to_string(header.length));
    header.inQueue = true;
    header.done = false;
    m_queue.push_back(&header);
    UpdateTimer();
    return true;
}

void CTestWaveOutDevice::Pause() {
    Note("pause");
    m_paused = true;
    UpdateTimer();
}

void CTestWaveOutDevice::Restart() {
    Note("restart");
    m_paused = false;
    UpdateTimer();
}

void CTestWaveOutDevice::Reset() {
    Note("reset");
    if (m_options.neverReturn) {
        return;
    }
    while (!m_queue.empty()) {
        WaveHeader* header = m_queue.front();
        m_queue.pop_front();
        Note("done " + std::to_string(header->length));
        m_notifier.Complete(*header);
    }
    UpdateTimer();
}

void CTestWaveOutDevice::Hold(bool hold) {
    m_held = hold;
    UpdateTimer();
}

void CTestWaveOutDevice::UpdateTimer() {
    const bool run = m_open && !m_paused && !m_held && !m_queue.empty() && !m_options.neverReturn;
    if (run && !m_timer.isActive()) {
        m_timer.start();
    } else if (!run) {
        m_timer.stop();
    }
}

void CTestWaveOutDevice::Note(const std::string& entry) {
    m_log.push_back(entry);
    if (m_options.logCopy != nullptr) {
        m_options.logCopy->push_back(entry);
    }
}

void CTestWaveOutDevice::Tick() {
    if (m_queue.empty() || m_paused || m_held) {
        UpdateTimer();
        return;
    }
    WaveHeader* header = m_queue.front();
    m_queue.pop_front();
    m_played.insert(m_played.end(), header->data, header->data + header->length);
    Note("done " + std::to_string(header->length));
    m_notifier.Complete(*header);
    UpdateTimer();
}

}  // namespace sonvara
