#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace sonvara {

// Hands work from any thread to the thread that owns the mailbox (the UI thread): Post() may be
// called from any thread; the functions run on the owner's thread, in the order they were
// posted, from one queued call. The hand-over is a mutex of our own, so ThreadSanitizer sees
// that everything a worker wrote before Post() happens before the function runs; Qt's own event
// queue (uninstrumented, futex-based) only carries the wake-up, by name, with no object of ours
// in it. Functions still waiting when the mailbox is destroyed are dropped; a poster must know
// the mailbox is alive (see COffThreadGuard, CRunDialog).
class CUiMailbox : public QObject {
    Q_OBJECT
public:
    explicit CUiMailbox(QObject* parent = nullptr);
    ~CUiMailbox() override;

    void Post(std::function<void()> fn);  // any thread
    void Deliver();                       // the owner's thread: runs what is waiting now

private:
    Q_INVOKABLE void DeliverPosted();

    std::mutex m_Mutex;
    std::deque<std::function<void()>> m_Pending;
    bool m_WakeUpPosted = false;
};

}  // namespace sonvara
