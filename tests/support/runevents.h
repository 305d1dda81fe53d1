#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace sonvara::test {

// The bound of every wait in the tests: long enough that only a hung run reaches it, however
// busy the machine. A wait ends as soon as its condition holds; no test measures a time.
constexpr int kHungMs = 120000;

// Runs the Qt event loop in short slices until the condition holds; false when it still does
// not after boundMs (a bound, not a measure).
inline bool RunEventsUntil(const std::function<bool()>& condition, int boundMs = kHungMs) {
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
