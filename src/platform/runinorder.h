#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace sonvara {

// Works on items 0..count-1 (tracks, files) with up to `threads` workers and hands each result to
// `deliver` on the calling thread, strictly in item order. `idle` runs on the calling thread while
// it waits (progress display). When `stop` turns true no further item is started; the items already
// started are finished and delivered. Returns how many items were delivered.
template <class Result>
std::size_t RunTracksInOrder(std::size_t count, unsigned threads,
                             const std::function<Result(std::size_t)>& work,
                             const std::function<void(std::size_t, Result&)>& deliver,
                             const std::function<void()>& idle, const std::function<bool()>& stop) {
    std::vector<std::optional<Result>> results(count);
    std::mutex mutex;
    std::condition_variable ready;
    std::size_t started = 0;  // items taken by workers, always 0..started-1; guarded by mutex
    bool halt = false;        // guarded by mutex

    auto worker = [&] {
        for (;;) {
            std::size_t index;
            {
                std::lock_guard lock(mutex);
                if (halt || started >= count) {
                    return;
                }
                index = started++;
            }
            Result result = work(index);
            {
                std::lock_guard lock(mutex);
                results[index].emplace(std::move(result));
            }
            ready.notify_all();
        }
    };

    threads =
        static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(count, 1)));
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        pool.emplace_back(worker);
    }

    std::size_t delivered = 0;
    for (;;) {
        std::unique_lock lock(mutex);
        if (!halt && stop && stop()) {
            halt = true;
        }
        if (delivered >= count || (halt && delivered >= started)) {
            break;
        }
        if (results[delivered].has_value()) {
            Result result = std::move(*results[delivered]);
            results[delivered].reset();
            lock.unlock();
            deliver(delivered, result);
            ++delivered;
            continue;
        }
        ready.wait_for(lock, std::chrono::milliseconds(100));
        lock.unlock();
        if (idle) {
            idle();
        }
    }
    for (std::thread& t : pool) {
        t.join();
    }
    return delivered;
}

}  // namespace sonvara
