#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "jobs/strings.h"

namespace sonvara {

// The window's one way to leave the UI thread. Core work (a run dialog's run, reading tracks,
// listing a folder, sort keys) runs on one bounded thread pool; its result comes back on the
// receiver's thread, to the receiver only: the delivery is a QFutureWatcher that is the
// receiver's child, so a receiver that is gone receives nothing. Work must not use the receiver;
// it works on what it was given (a run dialog, which hands its own tracks and host to its run,
// waits for it in its destructor with CRunHandle::Wait).
//
// Debian's Qt is not built for ThreadSanitizer: TSan sees neither the pool handing a task to its
// thread nor a future handing a result back. The hand-over of a task is therefore annotated (a
// release before the pool takes it, an acquire where it starts), and results cross in a mutex of
// our own; the future only carries the wake-up.
class CRunService : public QObject {
    Q_OBJECT
public:
    // maxThreads 0: as many as the machine has cores, at least four (a run dialog's worker may
    // wait for an answer while folders are listed).
    explicit CRunService(int maxThreads = 0, QObject* parent = nullptr);
    // strings: the program's texts, for the runs and the lists the window makes (the
    // constructor above: English). They must outlive the service.
    explicit CRunService(const CStrings& strings, int maxThreads = 0, QObject* parent = nullptr);
    // Drops the work not yet started and waits for the work that runs, at most kEndWaitMs: work
    // that hangs (a folder on a mount that no longer answers) does not hold up the end of the
    // program; its threads are left to the end of the process.
    ~CRunService() override;
    static constexpr int kEndWaitMs = 5000;
    CRunService(const CRunService&) = delete;
    CRunService& operator=(const CRunService&) = delete;

    // What a started piece of work has in common with its caller: whether it has finished (its
    // result is delivered later, on the receiver's thread).
    class CRunHandle {
    public:
        CRunHandle() = default;
        bool IsValid() const { return static_cast<bool>(m_State); }
        bool IsFinished() const;
        // Blocks until the work has returned; at once for an empty handle.
        void Wait() const;

    private:
        friend class CRunService;
        struct State {
            mutable std::mutex mutex;
            std::condition_variable finished;
            bool done = false;
        };
        explicit CRunHandle(std::shared_ptr<State> state) : m_State(std::move(state)) {}
        std::shared_ptr<State> m_State;
    };

    // Runs work on the pool and calls done(result) on the receiver's thread once it has
    // returned, unless the receiver is gone. Work that throws (std::bad_alloc, a library's
    // std::exception) calls failed(the exception's text) there instead; without a `failed`,
    // the failure is logged as a warning.
    using Failed = std::function<void(const QString& error)>;
    template <class Result>
    CRunHandle Run(QObject* receiver, std::function<Result()> work,
                   std::function<void(Result)> done, Failed failed = {});

    // Runs part(0) ... part(count - 1) on the pool and on the calling thread, which takes its
    // share, so that it never waits for a pool that is busy with other work; returns once every
    // part has run.
    void RunParts(std::size_t count, const std::function<void(std::size_t)>& part);

    int MaxThreads() const { return m_Pool->maxThreadCount(); }
    const CStrings& Strings() const { return m_Strings; }
    // Blocks until nothing runs on the pool (tests; the end of the program).
    void WaitForIdle();

private:
    template <class Result>
    struct Handoff {
        std::mutex mutex;
        std::optional<Result> result;
        std::string error;       // what the work threw
        QPromise<void> promise;  // finished once the result (or the error) is in
    };

    // Hands the task to the pool (annotated for ThreadSanitizer).
    void Start(std::function<void()> task);
    static void Finish(const std::shared_ptr<CRunHandle::State>& state);
    // The text of the exception being handled.
    static std::string CurrentExceptionText();
    static void ReportFailure(const Failed& failed, const std::string& error);

    const CStrings& m_Strings;
    QThreadPool* m_Pool;  // deleted unless work still hangs at the end
};

template <class Result>
CRunService::CRunHandle CRunService::Run(QObject* receiver, std::function<Result()> work,
                                         std::function<void(Result)> done, Failed failed) {
    auto handoff = std::make_shared<Handoff<Result>>();
    auto finished = std::make_shared<CRunHandle::State>();
    auto* watcher = new QFutureWatcher<void>(receiver);
    connect(watcher, &QFutureWatcherBase::finished, watcher,
            [watcher, handoff, done = std::move(done), failed = std::move(failed)] {
                watcher->deleteLater();
                std::optional<Result> result;
                std::string error;
                {
                    std::lock_guard lock(handoff->mutex);
                    result.swap(handoff->result);
                    error.swap(handoff->error);
                }
                if (result) {
                    done(std::move(*result));
                } else {
                    ReportFailure(failed, error);
                }
            });
    handoff->promise.start();
    watcher->setFuture(handoff->promise.future());
    Start([handoff, finished, work = std::move(work)] {
        std::optional<Result> result;
        std::string error;
        try {
            result.emplace(work());
        } catch (...) {
            error = CurrentExceptionText();
        }
        {
            std::lock_guard lock(handoff->mutex);
            handoff->result = std::move(result);
            handoff->error = std::move(error);
        }
        Finish(finished);
        handoff->promise.finish();
    });
    return CRunHandle(std::move(finished));
}

}  // namespace sonvara
