// The window's run service on its own: results reach a live receiver on its thread and never a
// receiver that is gone; the parts of a divided piece of work each run once, also when every
// thread of the pool is busy.
#include "ui/runservice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "support/runevents.h"

namespace sonvara {
namespace {

// Holds pool threads until opened.
class CGate {
public:
    void Wait() {
        std::unique_lock lock(m_Mutex);
        ++m_Waiting;
        m_Changed.notify_all();
        m_Changed.wait(lock, [this] { return m_Open; });
    }
    void WaitForWaiting(int n) {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_Waiting >= n; });
    }
    void Open() {
        {
            std::lock_guard lock(m_Mutex);
            m_Open = true;
        }
        m_Changed.notify_all();
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    int m_Waiting = 0;
    bool m_Open = false;
};

TEST(RunService, AResultReachesALiveReceiverOnItsThreadAndNoneAReceiverThatIsGone) {
    CRunService runs(2);
    CGate gate;
    auto live = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    std::vector<int> delivered;
    bool onUiThread = true;
    const auto done = [&](std::vector<int> result) {
        onUiThread =
            onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        delivered.insert(delivered.end(), result.begin(), result.end());
    };
    const auto handle = runs.Run<std::vector<int>>(
        live.get(),
        [&gate] {
            gate.Wait();
            return std::vector<int>{1, 2, 3};
        },
        done);
    runs.Run<std::vector<int>>(
        gone.get(),
        [&gate] {
            gate.Wait();
            return std::vector<int>{4};
        },
        done);
    gate.WaitForWaiting(2);
    EXPECT_FALSE(handle.IsFinished());
    gone.reset();  // while its work runs
    gate.Open();
    handle.Wait();
    runs.WaitForIdle();
    ASSERT_TRUE(test::RunEventsUntil([&] { return !delivered.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(onUiThread);
}

TEST(RunService, EveryPartRunsOnceEvenWhileEveryPoolThreadIsBusy) {
    CRunService runs(2);
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy);
        CGate gate;
        QObject receiver;
        if (busy) {  // both threads wait for the gate; the caller takes every part itself
            for (int i = 0; i < 2; ++i) {
                runs.Run<int>(
                    &receiver,
                    [&gate] {
                        gate.Wait();
                        return 0;
                    },
                    [](int) {});
            }
            gate.WaitForWaiting(2);
        }
        std::vector<int> ran(100, 0);
        runs.RunParts(ran.size(), [&](std::size_t part) { ++ran[part]; });
        EXPECT_EQ(ran, std::vector<int>(100, 1));
        gate.Open();
        runs.WaitForIdle();
    }
}

}  // namespace
}  // namespace sonvara
