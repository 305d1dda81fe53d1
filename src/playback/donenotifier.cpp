#include "playback/donenotifier.h"

#include <QCoreApplication>
#include <QEvent>

namespace sonvara {

namespace {

const QEvent::Type kDoneEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CDoneEvent : public QEvent {
public:
    CDoneEvent(WaveHeader* header, std::uint64_t generation)
        : QEvent(kDoneEvent), m_header(header), m_generation(generation) {}
    WaveHeader* m_header;
    std::uint64_t m_generation;
};

}  // namespace

CDoneNotifier::CDoneNotifier(IWaveOutDevice::DoneHandler handler) : m_handler(std::move(handler)) {}

void CDoneNotifier::SetHandler(IWaveOutDevice::DoneHandler handler) {
    m_handler = std::move(handler);
}

void CDoneNotifier::Complete(WaveHeader& header) {
    header.inQueue = false;
    header.done = true;
    // Posted events of one receiver are delivered in the order they were posted.
    QCoreApplication::postEvent(this, new CDoneEvent(&header, m_generation));
}

void CDoneNotifier::Forget() {
    ++m_generation;
}

void CDoneNotifier::customEvent(QEvent* event) {
    if (event->type() != kDoneEvent) {
        QObject::customEvent(event);
        return;
    }
    auto* done = static_cast<CDoneEvent*>(event);
    if (done->m_generation == m_generation && m_handler) {
        // A copy: the handler may replace the device's handler (a new Open) while it runs.
        const IWaveOutDevice::DoneHandler handler = m_handler;
        handler(done->m_header);
    }
}

}  // namespace sonvara
