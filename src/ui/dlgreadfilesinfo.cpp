#include "ui/dlgreadfilesinfo.h"

#include <QTimer>

#include "runs/addtracks.h"
#include "ui/pathlabel.h"

namespace sonvara {

CDlgReadFilesInfo::CDlgReadFilesInfo(CRunService& runs, std::vector<std::string> paths,
                                     bool readTags, QWidget* parent)
    : CRunDialog(runs, nullptr, kHelpMain, tr("Read Files Information"), parent),
      m_Paths(std::move(paths)),
      m_ReadTags(readTags) {
    setObjectName("DlgReadFilesInfo");
    HideResults();
    CurrentFile()->setMinimumWidth(360);
    Host().ShowEveryProgressStep(true);
}

CDlgReadFilesInfo::~CDlgReadFilesInfo() {
    StopWorker();
}

void CDlgReadFilesInfo::showEvent(QShowEvent* event) {
    CRunDialog::showEvent(event);
    if (!m_Started) {
        m_Started = true;
        StartWorker();
    }
}

void CDlgReadFilesInfo::Work() {
    m_Results = ReadTracks(m_Paths, m_ReadTags, Host(), {}, ReaderThreads());
}

void CDlgReadFilesInfo::ShowProgress(int percent) {
    CRunDialog::ShowProgress(percent);
    emit progressSet(percent);
}

void CDlgReadFilesInfo::WorkerFinished(bool) {
    // The last file and the full bar stay a moment before the dialog closes.
    QTimer::singleShot(kCloseDelayMs, this,
                       [this] { done(StopRequested() ? QDialog::Rejected : QDialog::Accepted); });
}

}  // namespace sonvara
