#pragma once

#include <memory>
#include <vector>

#include "runs/conversionrun.h"
#include "ui/rundialog.h"

class QPushButton;

namespace sonvara {

class CSettings;

// What the three conversion dialogs share: nothing happens until "&Start"; the run reads the
// settings then and walks the list on the worker; "S&ettings..." opens the options sheet.
// When the run ends the dialog closes after 500 ms; Cancel before any run closes it after
// 500 ms too.
class CConversionDialog : public CRunDialog {
    Q_OBJECT
public:
    static constexpr int kClosePauseMs = 500;

    // Runs the dialog modally over the records; returns when it has closed.
    int RunOnTracks(const std::vector<TrackRecord*>& tracks);

    QPushButton* StartButton() const { return m_Start; }
    QPushButton* SettingsButton() const { return m_SettingsButton; }
    bool IsRunning() const { return m_Running; }
    QString Summary() const override;

protected:
    CConversionDialog(CRunService& runs, CHelpContext& help, ConversionMode mode, int helpContext,
                      const QString& caption, CSettings& settings, QWidget* parent);

    Work MakeWork() override;
    ConversionMode Mode() const { return m_Mode; }
    const ConversionSettings& RunSettings() const { return m_RunSettings; }
    void WorkerFinished(bool ended) override;
    void OnCancel() override;

private:
    void OnStart();
    void OnSettings();
    void CloseAfterPause();

    CHelpContext& m_HelpContext;  // for the options sheet opened from the dialog
    ConversionMode m_Mode;
    CSettings& m_Settings;
    ConversionSettings m_RunSettings;  // read at Start
    QPushButton* m_Start;
    QPushButton* m_SettingsButton;
    bool m_Running = false;
    bool m_Closing = false;
    // How the tracks of the run ended: written by the run, read once it has finished.
    struct Tally {
        int converted = 0;
        int failed = 0;
        int skipped = 0;
        bool walked = false;
    };
    std::shared_ptr<Tally> m_Tally = std::make_shared<Tally>();
};

}  // namespace sonvara
