#include "uitestsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "support/mpegframes.h"

namespace sonvara::test {

CModalAnswerer::CModalAnswerer(std::function<bool(QWidget*)> answer, int timeoutMs)
    : m_Answer(std::move(answer)), m_Left(timeoutMs) {
    m_Timer.setInterval(20);
    connect(&m_Timer, &QTimer::timeout, this, &CModalAnswerer::Poll);
    m_Timer.start();
}

void CModalAnswerer::Poll() {
    m_Left -= 20;
    if (m_Left <= 0) {
        m_Timer.stop();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || (m_Repeat && modal == m_Last)) {
        return;
    }
    if (m_Answer(modal)) {
        m_Answered = true;
        ++m_Count;
        m_Last = modal;
        if (!m_Repeat) {
            m_Timer.stop();
        }
    }
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

std::vector<std::uint8_t> GoodMp3(int frames) {
    return MakeStream(FrameShape{}, frames);
}

std::vector<std::uint8_t> CorruptMp3(int frames) {
    std::vector<std::uint8_t> bad = MakeStream(FrameShape{}, frames);
    bad.erase(bad.begin() + 3000, bad.begin() + 3100);
    return bad;
}

}  // namespace sonvara::test
