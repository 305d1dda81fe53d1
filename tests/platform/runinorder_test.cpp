#include "platform/runinorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>

namespace sonvara::test {
namespace {

TEST(RunInOrder, ResultsArriveInItemOrderWhateverTheWorkersFinishFirst) {
    std::vector<std::size_t> order;
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
    const std::size_t delivered = RunTracksInOrder<std::size_t>(
        40, 4,
        [&](std::size_t i) {
            const int now = ++running;
            int seen = peak.load();
            while (now > seen && !peak.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds((i * 7919) % 13));
            --running;
            return i * 10;
        },
        [&](std::size_t i, std::size_t& r) {
            EXPECT_EQ(r, i * 10);
            order.push_back(i);
        },
        nullptr, nullptr);
    EXPECT_EQ(delivered, 40u);
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], i);
    }
    EXPECT_LE(peak.load(), 4);
    EXPECT_GE(peak.load(), 2);
}

TEST(RunInOrder, AStopFinishesWhatWasStartedAndTakesNothingNew) {
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> started{0};
    std::vector<std::size_t> order;
    const std::size_t delivered = RunTracksInOrder<int>(
        100, 2,
        [&](std::size_t i) {
            ++started;
            if (i == 5) {
                stop = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return 0;
        },
        [&](std::size_t i, int&) { order.push_back(i); }, nullptr, [&] { return stop.load(); });
    EXPECT_EQ(delivered, started.load());
    EXPECT_LT(delivered, 100u);
    EXPECT_EQ(order.size(), delivered);
}

TEST(RunInOrder, NoItems) {
    EXPECT_EQ(RunTracksInOrder<int>(
                  0, 3, [](std::size_t) { return 0; }, [](std::size_t, int&) { FAIL(); }, nullptr,
                  nullptr),
              0u);
}

}  // namespace
}  // namespace sonvara::test
