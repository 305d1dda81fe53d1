#pragma once

#include <QObject>

#include <cstdint>

#include "playback/waveoutdevice.h"

namespace sonvara {

// Delivers a device's "buffer done" notifications through the event loop of the thread that
// created it, in the order they were posted. Forget drops those not yet delivered.
class CDoneNotifier : public QObject {
public:
    explicit CDoneNotifier(IWaveOutDevice::DoneHandler handler = {});

    void SetHandler(IWaveOutDevice::DoneHandler handler);
    // Marks the header done and posts its notification.
    void Complete(WaveHeader& header);
    void Forget();

protected:
    void customEvent(QEvent* event) override;

private:
    IWaveOutDevice::DoneHandler m_handler;
    std::uint64_t m_generation = 0;
};

}  // namespace sonvara
