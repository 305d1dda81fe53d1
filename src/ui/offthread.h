#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace sonvara {

// Work that may block (listing a folder on a slow or hung mount) runs on a thread of its own;
// its result reaches the receiver on the receiver's thread, or nowhere if the receiver is gone
// by then. The UI thread never waits for such a thread.
class COffThreadGuard {
public:
    explicit COffThreadGuard(QObject* receiver) : m_State(std::make_shared<State>()) {
        m_State->receiver = receiver;
    }
    ~COffThreadGuard() {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->receiver = nullptr;
    }
    COffThreadGuard(const COffThreadGuard&) = delete;
    COffThreadGuard& operator=(const COffThreadGuard&) = delete;

    template <class Result>
    void Run(std::function<Result()> work, std::function<void(Result)> done) {
        std::thread([state = m_State, work = std::move(work), done = std::move(done)]() mutable {
            Result result = work();
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->receiver != nullptr) {
                QMetaObject::invokeMethod(
                    state->receiver,
                    [done = std::move(done), result = std::move(result)]() mutable {
                        done(std::move(result));
                    },
                    Qt::QueuedConnection);
            }
        }).detach();
    }

private:
    struct State {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };
    std::shared_ptr<State> m_State;
};

}  // namespace sonvara
