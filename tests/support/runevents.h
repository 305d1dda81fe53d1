#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace sonvara::test {

// Runs the Qt event loop in short slices until the condition holds; false when it still does
// not after boundMs (a bound, not a measure).
inline bool RunEventsUntil(const std::function<bool()>& condition, int boundMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > boundMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace sonvara::test
