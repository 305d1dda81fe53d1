#include "ui/runservice.h"

#include <QDebug>
#include <QRunnable>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <exception>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define SONVARA_TSAN_RELEASE(p) __tsan_release(p)
#define SONVARA_TSAN_ACQUIRE(p) __tsan_acquire(p)
#else
#define SONVARA_TSAN_RELEASE(p) static_cast<void>(p)
#define SONVARA_TSAN_ACQUIRE(p) static_cast<void>(p)
#endif

namespace sonvara {

namespace {

// One task on the pool. Everything the UI thread wrote before handing it over happens before
// it runs: the pool's own hand-over does that, the annotations make ThreadSanitizer see it.
class CTask : public QRunnable {
public:
    explicit CTask(std::function<void()> fn) : m_Fn(std::move(fn)) {}
    void run() override {
        SONVARA_TSAN_ACQUIRE(this);
        m_Fn();
    }

private:
    std::function<void()> m_Fn;
};

}  // namespace

CRunService::CRunService(int maxThreads, QObject* parent)
    : CRunService(EnglishStrings(), maxThreads, parent) {}

CRunService::CRunService(const CStrings& strings, int maxThreads, QObject* parent)
    : QObject(parent), m_Strings(strings), m_Pool(new QThreadPool) {
    setObjectName(QStringLiteral("runService"));
    m_Pool->setMaxThreadCount(maxThreads > 0 ? maxThreads
                                             : std::max(4, QThread::idealThreadCount()));
    m_Pool->setObjectName(QStringLiteral("runServicePool"));
}

CRunService::~CRunService() {
    m_Pool->clear();
    if (m_Pool->waitForDone(kEndWaitMs)) {
        delete m_Pool;
    }
}

void CRunService::Start(std::function<void()> task) {
    auto* runnable = new CTask(std::move(task));
    SONVARA_TSAN_RELEASE(runnable);
    m_Pool->start(runnable);
}

std::string CRunService::CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return tr("An unknown error stopped the work.").toStdString();
    }
}

void CRunService::ReportFailure(const Failed& failed, const std::string& error) {
    const QString text = QString::fromStdString(error);
    if (failed) {
        failed(text);
    } else {
        qWarning().noquote() << "work failed:" << text;
    }
}

void CRunService::Finish(const std::shared_ptr<CRunHandle::State>& state) {
    {
        std::lock_guard lock(state->mutex);
        state->done = true;
    }
    state->finished.notify_all();
}

bool CRunService::CRunHandle::IsFinished() const {
    if (!m_State) {
        return true;
    }
    std::lock_guard lock(m_State->mutex);
    return m_State->done;
}

void CRunService::CRunHandle::Wait() const {
    if (!m_State) {
        return;
    }
    std::unique_lock lock(m_State->mutex);
    m_State->finished.wait(lock, [this] { return m_State->done; });
}

void CRunService::RunParts(std::size_t count, const std::function<void(std::size_t)>& part) {
    if (count == 0) {
        return;
    }
    struct Shared {
        std::atomic<std::size_t> next{0};
        std::mutex mutex;
        std::condition_variable allDone;
        std::size_t finished = 0;
    };
    auto shared = std::make_shared<Shared>();
    // Each helper and the caller take parts until none is left; a part runs exactly once.
    const auto takeParts = [shared, count, &part] {
        std::size_t ran = 0;
        for (std::size_t p = shared->next.fetch_add(1); p < count; p = shared->next.fetch_add(1)) {
            part(p);
            ++ran;
        }
        if (ran > 0) {
            std::lock_guard lock(shared->mutex);
            shared->finished += ran;
        }
        shared->allDone.notify_all();
    };
    // The helpers hold `part` by reference: the caller waits below until every part that a
    // helper took has run, and a helper that starts late finds none left and touches nothing.
    const std::size_t helpers = std::min<std::size_t>(count - 1, MaxThreads());
    for (std::size_t h = 0; h < helpers; ++h) {
        Start(takeParts);
    }
    takeParts();
    std::unique_lock lock(shared->mutex);
    shared->allDone.wait(lock, [&] { return shared->finished == count; });
}

void CRunService::WaitForIdle() {
    m_Pool->waitForDone();
}

}  // namespace sonvara
