#include "ui/conversiondialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>

#include "ui/colorlistbox.h"
#include "ui/configsheet.h"

namespace sonvara {

CConversionDialog::CConversionDialog(CRunService& runs, CHelpContext& help, ConversionMode mode,
                                     int helpContext, const QString& caption, CSettings& settings,
                                     QWidget* parent)
    : CRunDialog(runs, &help, helpContext, caption, parent),
      m_HelpContext(help),
      m_Mode(mode),
      m_Settings(settings),
      m_Start(new QPushButton(tr("&Start"), this)),
      m_SettingsButton(new QPushButton(tr("S&ettings..."), this)) {
    m_Start->setObjectName(QStringLiteral("start"));              // 1018
    m_SettingsButton->setObjectName(QStringLiteral("settings"));  // 1019
    m_Start->setAutoDefault(false);
    m_SettingsButton->setAutoDefault(false);
    ButtonRow()->insertWidget(1, m_Start);
    ButtonRow()->insertWidget(2, m_SettingsButton);
    setTabOrder(Results(), m_Start);
    setTabOrder(m_Start, m_SettingsButton);
    setTabOrder(m_SettingsButton, CancelButton());
    connect(m_Start, &QPushButton::clicked, this, &CConversionDialog::OnStart);
    connect(m_SettingsButton, &QPushButton::clicked, this, &CConversionDialog::OnSettings);
}

int CConversionDialog::RunOnTracks(const std::vector<TrackRecord*>& tracks) {
    Tracks() = tracks;
    return exec();
}

void CConversionDialog::OnStart() {
    if (m_Running || m_Closing) {
        return;
    }
    m_RunSettings = ReadConversionSettings(m_Settings);
    m_Running = true;
    m_Start->setEnabled(false);
    m_SettingsButton->setEnabled(false);
    StartWorker();
}

CRunDialog::Work CConversionDialog::MakeWork() {
    return [mode = m_Mode, settings = m_RunSettings, tally = m_Tally](
               IRunHost& host, const std::vector<TrackRecord*>& tracks) {
        CConversionRun run(mode, host);
        if (!run.Start(settings, tracks)) {
            return;  // refused, with a message: the dialog stays open
        }
        run.Walk(tracks, 1);
        for (const TrackResult& result : run.Results()) {
            switch (result.status) {
                case TrackStatus::kDone: ++tally->converted; break;
                case TrackStatus::kSkipped:
                case TrackStatus::kCollision: ++tally->skipped; break;
                // A track cut short by a stop did not fail; the summary says it was stopped.
                case TrackStatus::kStopped: break;
                default: ++tally->failed; break;
            }
        }
        tally->walked = true;
    };
}

QString CConversionDialog::Summary() const {
    if (IsWorking() || !m_Tally->walked) {
        return {};  // not started, refused, or (never here) still working
    }
    QString text = tr("%1 converted, %2 failed").arg(m_Tally->converted).arg(m_Tally->failed);
    if (m_Tally->skipped > 0) {
        text += tr(", %1 skipped").arg(m_Tally->skipped);
    }
    if (StopRequested()) {
        text += tr(" (stopped)");
    }
    return text;
}

void CConversionDialog::WorkerFinished(bool ended) {
    m_Running = false;
    if (ended || Host().IsAborted()) {
        CloseAfterPause();
        return;
    }
    m_Start->setEnabled(true);
    m_SettingsButton->setEnabled(true);
}

void CConversionDialog::OnCancel() {
    CRunDialog::OnCancel();
    if (!m_Running) {
        CloseAfterPause();
    }
}

void CConversionDialog::CloseAfterPause() {
    if (m_Closing) {
        return;
    }
    m_Closing = true;
    // Start and Settings stay off during the pause: a run started now would be cut short.
    m_Start->setEnabled(false);
    m_SettingsButton->setEnabled(false);
    QTimer::singleShot(kClosePauseMs, this, [this] { done(QDialog::Rejected); });
}

void CConversionDialog::OnSettings() {
    if (m_Running) {
        return;
    }
    CConfigSheet sheet(m_Settings, m_HelpContext, this);
    sheet.exec();
}

}  // namespace sonvara
