// A planted race of the kind the window's threaded code must never have: a worker thread writes
// an int, a Qt timer's callback on the main thread reads it, and nothing orders the two.
// ThreadSanitizer with tests/tsan.supp must report it; a suppression that matched every stack
// through Qt's event loop would silence it (see planted-race.sh).
#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {
int g_Shared = 0;                    // written by the worker, read by a timer callback
std::atomic<bool> g_Written{false};  // relaxed: tells that the write is done, orders nothing
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::thread worker([] {
        g_Shared = 42;
        g_Written.store(true, std::memory_order_relaxed);
    });
    int seen = 0;
    QTimer::singleShot(0, &app, [&] {
        while (!g_Written.load(std::memory_order_relaxed)) {
            std::this_thread::yield();
        }
        seen = g_Shared;
        app.quit();
    });
    app.exec();
    worker.join();
    std::printf("read %d\n", seen);
    return 0;
}
