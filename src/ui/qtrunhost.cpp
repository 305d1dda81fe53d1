#include "ui/qtrunhost.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>
#include <algorithm>
#include <utility>

namespace sonvara {

QMessageBox::Icon MessageBoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kInformation: return QMessageBox::Information;
        case MessageIcon::kExclamation: return QMessageBox::Warning;
        case MessageIcon::kStop: return QMessageBox::Critical;
        case MessageIcon::kQuestion: return QMessageBox::Question;
    }
    return QMessageBox::Information;
}

namespace {

Answer AnswerOf(QMessageBox* box) {
    switch (box->standardButton(box->clickedButton())) {
        case QMessageBox::Yes: return Answer::kYes;
        case QMessageBox::No: return Answer::kNo;
        default: return Answer::kCancel;  // Cancel, Escape, the close box, OK
    }
}

QMessageBox* MakeBox(const QString& text, MessageIcon icon, bool question, IRunView& view) {
    auto* box = new QMessageBox(
        question ? QMessageBox::Question : MessageBoxIcon(icon),
        QGuiApplication::applicationDisplayName(), text,
        question ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel : QMessageBox::Ok,
        view.MessageParent());
    if (question) {
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::Cancel);
    }
    view.DecorateBox(*box, question);
    return box;
}

}  // namespace

CQtRunHost::CQtRunHost(IRunView& view, const CStrings& strings, QObject* parent)
    : QObject(parent), m_View(view), m_Strings(strings) {
    // One tick every 20 ms shows what the run reported since the last one: the display calls
    // in one batch and the latest progress.
    m_Tick.setInterval(kIntervalMs);
    connect(&m_Tick, &QTimer::timeout, this, [this] {
        Flush();
        ShowProgressNow();
    });
    m_Tick.start();
}

CQtRunHost::~CQtRunHost() {
    Detach();
    if (m_Box) {
        delete m_Box.data();
    }
}

bool CQtRunHost::OnUiThread() const {
    return QThread::currentThread() == thread();
}

void CQtRunHost::Abort() {
    m_Aborted.store(true, std::memory_order_release);
    {
        std::lock_guard lock(m_Mutex);
        ++m_Aborts;
    }
    m_AnswerReady.notify_all();
    if (m_Box) {
        m_Box->done(QMessageBox::Cancel);
    }
}

void CQtRunHost::Detach() {
    {
        std::lock_guard lock(m_Mutex);
        m_Detached = true;
    }
    Abort();
}

// ---- the worker's side ------------------------------------------------------------------

void CQtRunHost::Post(Op op) {
    const bool urgent = op.kind == Op::kEnded;
    if (OnUiThread()) {
        // Called on the UI thread itself (a run started there): in order, at once.
        Flush();
        std::deque<Op> one;
        one.push_back(std::move(op));
        Execute(one);
        return;
    }
    bool post = false;
    {
        std::lock_guard lock(m_Mutex);
        m_Ops.push_back(std::move(op));
        post = urgent && !m_FlushPosted;
        m_FlushPosted = m_FlushPosted || post;
    }
    if (post) {
        QMetaObject::invokeMethod(this, "Flush", Qt::QueuedConnection);
    }
}

void CQtRunHost::SetProgress(int percent) {
    if (m_EveryStep) {
        Op op{Op::kProgress, {}};
        op.colour = static_cast<std::uint32_t>(std::clamp(percent, 0, 100));
        Post(std::move(op));
        return;
    }
    m_Progress.store(std::clamp(percent, 0, 100), std::memory_order_relaxed);
}

void CQtRunHost::SetCurrentFile(const std::string& path) {
    Post({Op::kFile, path});
}

void CQtRunHost::SetStage(const std::string& word) {
    Post({Op::kStage, word});
}

void CQtRunHost::ClearResults() {
    Post({Op::kClear, {}});
}

void CQtRunHost::AddResult(const std::string& text, std::uint32_t colour) {
    Op op{Op::kLine, text};
    op.colour = colour;
    Post(std::move(op));
}

void CQtRunHost::ScrollToEnd() {
    Post({Op::kScroll, {}});
}

void CQtRunHost::UpdateTrack(const TrackUpdate& update) {
    Op op{Op::kUpdate, {}};
    op.update = update;
    Post(std::move(op));
}

void CQtRunHost::ReportError(const std::string& path, const std::string& reason) {
    // A track kept by the user's own answer is reported next; the user needs no word on it.
    if (std::exchange(m_KeptByAnswer, false)) {
        return;
    }
    Op op{Op::kError, path};
    op.reason = reason;
    Post(std::move(op));
}

void CQtRunHost::RunEnded() {
    Post({Op::kEnded, {}});
}

Answer CQtRunHost::AskOverwrite(const std::string& question) {
    const Answer answer = Ask(question, MessageIcon::kQuestion, true);
    m_KeptByAnswer = answer != Answer::kYes;
    return answer;
}

void CQtRunHost::ShowMessage(const std::string& text, MessageIcon icon) {
    Ask(text, icon, false);
}

Answer CQtRunHost::Ask(const std::string& text, MessageIcon icon, bool question) {
    if (OnUiThread()) {
        return AskHere(text, icon, question);
    }
    std::unique_lock lock(m_Mutex);
    if (m_Detached || (question && IsAborted())) {
        return Answer::kCancel;  // stopping: skip the track without asking
    }
    const std::uint64_t serial = ++m_Serial;
    const std::uint64_t aborts = m_Aborts;
    m_Answer.reset();
    Op op{Op::kBox, text};
    op.serial = serial;
    op.question = question;
    op.icon = icon;
    m_Ops.push_back(std::move(op));
    const bool post = !m_FlushPosted;
    m_FlushPosted = true;
    lock.unlock();
    if (post) {
        QMetaObject::invokeMethod(this, "Flush", Qt::QueuedConnection);
    }
    lock.lock();
    // A Cancel (or closing the dialog) while the box is open wakes the worker too.
    m_AnswerReady.wait(lock, [&] { return m_Answer.has_value() || m_Aborts != aborts; });
    const Answer answer = m_Answer.value_or(Answer::kCancel);
    m_Serial = 0;  // a box opened late for this question is stale
    return answer;
}

Answer CQtRunHost::AskHere(const std::string& text, MessageIcon icon, bool question) {
    Flush();
    if (question && IsAborted()) {
        return Answer::kCancel;
    }
    QMessageBox* box = MakeBox(QString::fromStdString(text), icon, question, m_View);
    m_Box = box;
    box->exec();
    const Answer answer = AnswerOf(box);
    delete box;
    return answer;
}

// ---- the UI thread's side ---------------------------------------------------------------

void CQtRunHost::Flush() {
    std::deque<Op> ops;
    {
        std::lock_guard lock(m_Mutex);
        ops.swap(m_Ops);
        m_FlushPosted = false;
    }
    Execute(ops);
}

void CQtRunHost::Execute(std::deque<Op>& ops) {
    // Lines go to the list in one batch, and only the last file and stage of the batch are
    // shown; a clear, a question and the end keep their place in the order.
    std::vector<std::pair<QString, std::uint32_t>> lines;
    bool scroll = false;
    std::optional<QString> file;
    std::optional<QString> stage;
    const auto show = [&] {
        if (!lines.empty()) {
            m_View.AddResults(std::move(lines));
            lines.clear();
        }
        if (scroll) {
            m_View.ScrollResultsToEnd();
            scroll = false;
        }
        if (file) {
            m_View.ShowCurrentFile(*file);
            file.reset();
        }
        if (stage) {
            m_View.ShowStage(*stage);
            stage.reset();
        }
    };
    for (Op& op : ops) {
        switch (op.kind) {
            case Op::kLine: lines.emplace_back(QString::fromStdString(op.text), op.colour); break;
            case Op::kScroll: scroll = true; break;
            case Op::kFile: file = QString::fromStdString(op.text); break;
            case Op::kStage: stage = QString::fromStdString(op.text); break;
            case Op::kUpdate: m_View.ApplyUpdate(op.update); break;
            case Op::kClear:
                lines.clear();
                scroll = false;
                m_View.ClearResults();
                break;
            case Op::kBox:
                show();
                OpenBoxFor(op);
                break;
            case Op::kEnded:
                show();
                ShowProgressNow();
                m_View.OnRunEnded();
                break;
            case Op::kError:
                show();
                m_View.ShowError(QString::fromStdString(op.text),
                                 QString::fromStdString(op.reason));
                break;
            case Op::kProgress:
                show();
                m_ShownProgress = static_cast<int>(op.colour);
                ++m_ProgressUpdates;
                m_View.ShowProgress(m_ShownProgress);
                break;
        }
    }
    show();
}

void CQtRunHost::ShowProgressNow() {
    if (m_EveryStep) {
        return;  // each step was queued and shown in order
    }
    const int p = m_Progress.load(std::memory_order_relaxed);
    if (p != m_ShownProgress) {
        m_ShownProgress = p;
        ++m_ProgressUpdates;
        m_View.ShowProgress(p);
    }
}

void CQtRunHost::OpenBoxFor(const Op& op) {
    {
        std::lock_guard lock(m_Mutex);
        if (op.serial != m_Serial || m_Answer.has_value()) {
            return;  // the worker stopped waiting for it already
        }
    }
    if (op.question && IsAborted()) {
        SetAnswer(op.serial, Answer::kCancel);
        return;
    }
    QMessageBox* box = MakeBox(QString::fromStdString(op.text), op.icon, op.question, m_View);
    box->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t serial = op.serial;
    connect(box, &QMessageBox::finished, this,
            [this, box, serial](int) { SetAnswer(serial, AnswerOf(box)); });
    m_Box = box;
    box->open();
}

void CQtRunHost::SetAnswer(std::uint64_t serial, Answer answer) {
    {
        std::lock_guard lock(m_Mutex);
        if (serial != m_Serial || m_Answer.has_value()) {
            return;
        }
        m_Answer = answer;
    }
    m_AnswerReady.notify_all();
}

}  // namespace sonvara
