#pragma once

#include <QDialog>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ui/listops.h"
#include "ui/uimailbox.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace sonvara {

// "Read Files Information": reads the new files of an add on a worker thread behind a modal
// progress dialog. The worker never touches the list; the document appends what it read once
// the dialog has closed. Cancel (and closing the window) only asks the worker to stop; the
// dialog closes by its timer once the worker has ended.
class CDlgReadFilesInfo : public QDialog {
    Q_OBJECT
public:
    CDlgReadFilesInfo(std::vector<std::string> paths, bool readTags, QWidget* parent = nullptr);
    ~CDlgReadFilesInfo() override;

    // What the worker read, in path order (after exec() returned).
    std::vector<ReadTrack> TakeResults() { return std::move(m_Results); }
    bool WasCancelled() const { return m_Cancel.load(); }

signals:
    // Each progress value the bar was set to, on the UI thread.
    void progressSet(int percent);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void timerEvent(QTimerEvent* event) override;

private:
    void StartWorker();
    void WorkerEnded();

    static constexpr int kCloseTimerMs = 100;

    std::vector<std::string> m_Paths;
    bool m_ReadTags;
    std::vector<ReadTrack> m_Results;
    std::atomic<bool> m_Cancel{false};
    std::thread m_Worker;
    CUiMailbox* m_Mailbox = new CUiMailbox(this);  // the worker's display calls; outlives it
    bool m_Started = false;
    bool m_Ended = false;
    int m_CloseTimer = 0;
    QLabel* m_CurrentFile = nullptr;
    QProgressBar* m_Progress = nullptr;
    QPushButton* m_CancelButton = nullptr;
};

}  // namespace sonvara
