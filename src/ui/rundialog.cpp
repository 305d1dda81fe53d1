#include "ui/rundialog.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "runs/runhelpers.h"
#include "ui/colorlistbox.h"
#include "ui/pathlabel.h"

namespace sonvara {

CRunDialog::CRunDialog(CRunService& runs, CHelpContext* help, int helpContext,
                       const QString& caption, QWidget* parent)
    : QDialog(parent),
      m_Help(help, helpContext),
      m_Results(new CColorListBox(this)),
      m_CurrentFile(new CPathLabel(this)),
      m_Stage(new QGroupBox(this)),
      m_Progress(new QProgressBar(m_Stage)),
      m_Cancel(new QPushButton(tr("&Cancel"), this)),
      m_ButtonRow(new QHBoxLayout),
      m_ResultsLabel(new QLabel(tr("Results:"), this)),
      m_Host(*this, runs.Strings()),
      m_Runs(runs) {
    setWindowTitle(caption);
    setModal(true);
    m_ResultsLabel->setBuddy(m_Results);
    m_Results->setObjectName(QStringLiteral("results"));  // 1010 / 1017
    m_Results->setAccessibleName(tr("Results"));
    auto* fileLabel = new QLabel(tr("Current File:"), this);
    m_CurrentFile->setObjectName(QStringLiteral("currentFile"));  // 1006
    m_CurrentFile->setAccessibleName(tr("Current File"));
    m_Stage->setObjectName(QStringLiteral("stage"));        // 1022
    m_Progress->setObjectName(QStringLiteral("progress"));  // 1020
    m_Progress->setRange(0, 100);
    m_Progress->setValue(0);
    m_Progress->setTextVisible(false);
    m_Progress->setAccessibleName(tr("Progress"));
    m_Cancel->setObjectName(QStringLiteral("cancel"));  // 2
    m_Cancel->setAutoDefault(false);

    auto* stageBox = new QVBoxLayout(m_Stage);
    stageBox->addWidget(m_Progress);
    m_ButtonRow->addStretch(1);
    m_ButtonRow->addWidget(m_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_ResultsLabel);
    layout->addWidget(m_Results, 1);
    layout->addWidget(fileLabel);
    layout->addWidget(m_CurrentFile);
    layout->addWidget(m_Stage);
    layout->addLayout(m_ButtonRow);

    connect(m_Cancel, &QPushButton::clicked, this, &CRunDialog::reject);
}

CRunDialog::~CRunDialog() {
    StopWorker();
}

void CRunDialog::StopWorker() {
    if (!m_Working) {
        return;
    }
    m_Host.Detach();
    m_Run.Wait();
    m_Working = false;
}

void CRunDialog::StartWorker() {
    m_RunEnded = false;
    m_Working = true;
    // The run uses a copy of the dialog's track list and the host, which the base's destructor
    // keeps until the run has returned.
    m_Run = m_Runs.Run<bool>(
        this,
        [work = MakeWork(), tracks = m_Tracks, host = &m_Host] {
            work(*host, tracks);
            return true;
        },
        [this](bool) { OnWorkerFinished(); },
        [this](const QString& error) { OnWorkerFailed(error); });
}

void CRunDialog::HideResults() {
    m_ResultsLabel->hide();
    m_Results->hide();
}

void CRunDialog::OnWorkerFinished() {
    m_Working = false;
    // Everything the run reported before it ended is shown (and applied) first.
    m_Host.Flush();
    WorkerFinished(m_RunEnded);
}

void CRunDialog::OnWorkerFailed(const QString& error) {
    m_Working = false;
    m_Host.Flush();
    m_Results->AddColoredStrings({{error, kColourRed}});
    ScrollResultsToEnd();
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(), error, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("runError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this] { WorkerFinished(false); });
    box->open();
}

void CRunDialog::OnCancel() {
    m_Host.Abort();
}

void CRunDialog::reject() {
    OnCancel();
}

void CRunDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CRunDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // no default button: Enter never ends the dialog
        return;
    }
    QDialog::keyPressEvent(event);  // Escape: reject(), which only asks the run to stop
}

void CRunDialog::ShowCurrentFile(const QString& path) {
    m_CurrentFile->SetPath(path);
}

void CRunDialog::ShowStage(const QString& word) {
    m_Stage->setTitle(word);
}

void CRunDialog::ClearResults() {
    m_Results->ResetContent();
}

void CRunDialog::AddResults(std::vector<std::pair<QString, std::uint32_t>>&& lines) {
    m_Results->AddColoredStrings(std::move(lines));
}

void CRunDialog::ScrollResultsToEnd() {
    m_Results->SetTopIndex(m_Results->GetCount() - 1);
}

void CRunDialog::ShowProgress(int percent) {
    m_Progress->setValue(percent);
}

void CRunDialog::ApplyUpdate(const TrackUpdate& update) {
    ApplyTrackUpdate(m_Tracks, update);
    m_Updates[update.index] = update;
}

void CRunDialog::OnRunEnded() {
    m_RunEnded = true;
}

}  // namespace sonvara
