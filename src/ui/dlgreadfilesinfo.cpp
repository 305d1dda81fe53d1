#include "ui/dlgreadfilesinfo.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace sonvara {

CDlgReadFilesInfo::CDlgReadFilesInfo(std::vector<std::string> paths, bool readTags, QWidget* parent)
    : QDialog(parent), m_Paths(std::move(paths)), m_ReadTags(readTags) {
    setWindowTitle(tr("Read Files Information"));
    setObjectName("DlgReadFilesInfo");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(tr("Current File:"), this);
    m_CurrentFile = new QLabel(this);
    m_CurrentFile->setObjectName("CurrentFile");
    m_CurrentFile->setAccessibleName(tr("Current file"));
    m_CurrentFile->setTextFormat(Qt::PlainText);
    m_CurrentFile->setMinimumWidth(360);
    m_CurrentFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption->setBuddy(m_CurrentFile);
    m_Progress = new QProgressBar(this);
    m_Progress->setRange(0, 100);
    m_Progress->setValue(0);
    m_Progress->setAccessibleName(tr("Progress"));
    m_CancelButton = new QPushButton(tr("&Cancel"), this);
    m_CancelButton->setAccessibleName(tr("Cancel"));
    connect(m_CancelButton, &QPushButton::clicked, this, [this] { m_Cancel = true; });
    layout->addWidget(caption);
    layout->addWidget(m_CurrentFile);
    layout->addWidget(m_Progress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_CancelButton);
    layout->addLayout(buttons);
}

CDlgReadFilesInfo::~CDlgReadFilesInfo() {
    m_Cancel = true;
    if (m_Worker.joinable()) {
        m_Worker.join();  // the worker never waits for the UI thread
    }
}

void CDlgReadFilesInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_Started) {
        m_Started = true;
        StartWorker();
    }
}

void CDlgReadFilesInfo::StartWorker() {
    m_Cancel = false;
    m_Worker = std::thread([this] {
        ui::ReadCallbacks callbacks;
        // Display calls are queued to the UI thread; the dialog outlives the worker (its
        // destructor joins), so `this` stays valid for every queued call.
        callbacks.currentFile = [this](const std::string& path) {
            m_Mailbox->Post([this, path] { m_CurrentFile->setText(QString::fromStdString(path)); });
        };
        callbacks.progress = [this](int percent) {
            m_Mailbox->Post([this, percent] {
                m_Progress->setValue(percent);
                emit progressSet(percent);
            });
        };
        callbacks.aborted = [this] { return m_Cancel.load(); };
        std::vector<ReadTrack> results = ui::ReadEntries(m_Paths, m_ReadTags, callbacks);
        m_Mailbox->Post([this, r = std::move(results)]() mutable {
            m_Results = std::move(r);
            WorkerEnded();
        });
    });
}

void CDlgReadFilesInfo::WorkerEnded() {
    if (m_Worker.joinable()) {
        m_Worker.join();  // its last act was to queue this call
    }
    m_Ended = true;
    m_CloseTimer = startTimer(kCloseTimerMs);
}

void CDlgReadFilesInfo::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_CloseTimer) {
        killTimer(m_CloseTimer);
        m_CloseTimer = 0;
        done(m_Cancel.load() ? QDialog::Rejected : QDialog::Accepted);
        return;
    }
    QDialog::timerEvent(event);
}

void CDlgReadFilesInfo::closeEvent(QCloseEvent* event) {
    if (!m_Ended) {
        m_Cancel = true;  // a close request is a cancel; the timer closes the dialog
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDlgReadFilesInfo::reject() {
    if (!m_Ended) {
        m_Cancel = true;  // Esc
        return;
    }
    QDialog::reject();
}

}  // namespace sonvara
