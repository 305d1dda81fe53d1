#include "ui/dlgreadfilesinfo.h"

#include <QTimer>

#include "runs/addtracks.h"
#include "ui/pathlabel.h"

namespace sonvara {

CDlgReadFilesInfo::CDlgReadFilesInfo(CRunService& runs, std::vector<std::string> paths,
                                     bool readTags, QWidget* parent)
    : CRunDialog(runs, nullptr, kHelpMain, tr("Read Files Information"), parent),
      m_Paths(std::make_shared<const std::vector<std::string>>(std::move(paths))),
      m_ReadTags(readTags) {
    setObjectName("DlgReadFilesInfo");
    HideResults();
    CurrentFile()->setMinimumWidth(360);
    Host().ShowEveryProgressStep(true);
}

void CDlgReadFilesInfo::showEvent(QShowEvent* event) {
    CRunDialog::showEvent(event);
    if (!m_Started) {
        m_Started = true;
        StartWorker();
    }
}

CRunDialog::Work CDlgReadFilesInfo::MakeWork() {
    return [paths = m_Paths, tags = m_ReadTags, out = m_Results](IRunHost& host,
                                                                 const std::vector<TrackRecord*>&) {
        *out = ReadTracks(*paths, tags, host, {}, ReaderThreads());
    };
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
