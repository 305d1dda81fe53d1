#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "ui/uimailbox.h"

namespace sonvara {

// Work that may block (listing a folder on a slow or hung mount) runs on a thread of its own;
// its result reaches the receiver on the receiver's thread through a mailbox, or nowhere if the
// receiver is gone by then. The UI thread never waits for such a thread.
class COffThreadGuard {
public:
    explicit COffThreadGuard(QObject* receiver) : m_State(std::make_shared<State>()) {
        m_State->mailbox = new CUiMailbox(receiver);
    }
    ~COffThreadGuard() {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->mailbox = nullptr;  // the receiver deletes it as its child
    }
    COffThreadGuard(const COffThreadGuard&) = delete;
    COffThreadGuard& operator=(const COffThreadGuard&) = delete;

    template <class Result>
    void Run(std::function<Result()> work, std::function<void(Result)> done) {
        std::thread([state = m_State, work = std::move(work), done = std::move(done)]() mutable {
            Result result = work();
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->mailbox != nullptr) {
                state->mailbox->Post(
                    [done = std::move(done), result = std::move(result)]() mutable {
                        done(std::move(result));
                    });
            }
        }).detach();
    }

private:
    struct State {
        std::mutex mutex;
        CUiMailbox* mailbox = nullptr;
    };
    std::shared_ptr<State> m_State;
};

}  // namespace sonvara
