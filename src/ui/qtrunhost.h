#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jobs/runhost.h"

class QWidget;

namespace sonvara {

// The box icon of a run's message.
QMessageBox::Icon MessageBoxIcon(MessageIcon icon);

// What a run dialog shows; every call comes on the UI thread.
class IRunView {
public:
    virtual ~IRunView() = default;
    virtual void ShowCurrentFile(const QString& path) = 0;
    virtual void ShowStage(const QString& word) = 0;
    virtual void ClearResults() = 0;
    virtual void AddResults(std::vector<std::pair<QString, std::uint32_t>>&& lines) = 0;
    virtual void ScrollResultsToEnd() = 0;
    virtual void ShowProgress(int percent) = 0;
    // Gives the record its new states (the records belong to the UI thread).
    virtual void ApplyUpdate(const TrackUpdate& update) = 0;
    virtual void OnRunEnded() = 0;
    // The window the questions and messages belong to.
    virtual QWidget* MessageParent() = 0;
    // A track the run could not handle, unless the user's own answer kept it. A run dialog
    // shows the reason as a result line already and ignores it.
    virtual void ShowError(const QString& path, const QString& reason) {
        static_cast<void>(path);
        static_cast<void>(reason);
    }
    // Sets a box's title and default button before it opens (default: the program's name, Yes).
    virtual void DecorateBox(QMessageBox& box, bool question) {
        static_cast<void>(box);
        static_cast<void>(question);
    }
};

// The run host of the window. It lives on the UI thread; the run calls it from its worker.
// - Display calls are queued, in order, and applied on the UI thread by a 20 ms timer, in one
//   batch per tick however fast the run reports (the end of the run and questions at once).
// - Progress is kept in an atomic and shown by the same timer: at most one update per 20 ms.
// - Questions and messages open a window-modal box with open() and block the worker until it
//   is answered; the UI thread never waits. Abort() answers an open box with Cancel and wakes
//   the worker; once stopped, overwrite questions are answered Cancel without a box.
// - Detach() (the dialog is going away) makes every later question return at once.
// - A run may also be called on the UI thread itself: then every call is shown at once and a
//   question is a modal box of its own.
class CQtRunHost : public QObject, public IRunHost {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 20;

    // strings: the texts the runs over this host show (the program's).
    explicit CQtRunHost(IRunView& view, const CStrings& strings = EnglishStrings(),
                        QObject* parent = nullptr);
    ~CQtRunHost() override;

    // UI thread.
    void Abort();
    void Detach();
    // Applies every display call that is waiting, and the latest progress. The worker queues it
    // by name, so that no object of ours crosses threads inside Qt's event queue.
    Q_INVOKABLE void Flush();
    bool IsQuestionOpen() const { return !m_Box.isNull(); }
    QMessageBox* OpenBox() const { return m_Box; }
    // How many times the progress was shown (for tests of the coalescing).
    int ProgressUpdates() const { return m_ProgressUpdates; }
    // Shows every progress value the run sets, in order with the other calls, instead of the
    // latest one per tick (a run that sets it seldom, whose every step a user sees).
    void ShowEveryProgressStep(bool every) { m_EveryStep = every; }

    // IRunHost (the run's thread; IsAborted from any thread).
    bool IsAborted() override { return AbortRequested(); }
    const CStrings& Strings() const override { return m_Strings; }
    bool AbortRequested() const { return m_Aborted.load(std::memory_order_acquire); }
    void SetProgress(int percent) override;
    void SetCurrentFile(const std::string& path) override;
    void SetStage(const std::string& word) override;
    void ClearResults() override;
    void AddResult(const std::string& text, std::uint32_t colour) override;
    void ScrollToEnd() override;
    Answer AskOverwrite(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ReportError(const std::string& path, const std::string& reason) override;
    void UpdateTrack(const TrackUpdate& update) override;
    void RunEnded() override;

private:
    struct Op {
        enum Kind {
            kFile,
            kStage,
            kClear,
            kLine,
            kScroll,
            kUpdate,
            kBox,
            kEnded,
            kError,
            kProgress
        };
        Op(Kind k, std::string t) : kind(k), text(std::move(t)) {}
        Kind kind;
        std::string text;  // made into a QString on the UI thread only
        std::string reason;
        std::uint32_t colour = 0;
        TrackUpdate update{};
        std::uint64_t serial = 0;
        bool question = false;
        MessageIcon icon = MessageIcon::kInformation;
    };

    bool OnUiThread() const;
    void Post(Op op);
    void Execute(std::deque<Op>& ops);
    void ShowProgressNow();
    Answer Ask(const std::string& text, MessageIcon icon, bool question);
    Answer AskHere(const std::string& text, MessageIcon icon, bool question);
    void OpenBoxFor(const Op& op);
    void SetAnswer(std::uint64_t serial, Answer answer);

    IRunView& m_View;
    const CStrings& m_Strings;
    std::atomic<bool> m_Aborted{false};
    std::atomic<int> m_Progress{0};

    std::mutex m_Mutex;  // guards what follows, up to m_Box
    std::condition_variable m_AnswerReady;
    std::deque<Op> m_Ops;
    bool m_FlushPosted = false;  // an immediate flush is on its way
    std::uint64_t m_Serial = 0;  // the question being waited for
    std::optional<Answer> m_Answer;
    std::uint64_t m_Aborts = 0;  // Abort() calls so far
    bool m_Detached = false;

    bool m_EveryStep = false;     // set before the run starts
    bool m_KeptByAnswer = false;  // the run's thread: the last question was not answered Yes

    QPointer<QMessageBox> m_Box;  // UI thread
    QTimer m_Tick;
    int m_ShownProgress = -1;
    int m_ProgressUpdates = 0;
};

}  // namespace sonvara
