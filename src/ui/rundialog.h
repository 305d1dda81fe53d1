#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/helpcontext.h"
#include "ui/qtrunhost.h"
#include "ui/runservice.h"

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace sonvara {

class CColorListBox;
class CPathLabel;
struct TrackRecord;

// What the run dialogs share: the results list, the current file, the stage box with the
// progress bar, Cancel, the run host, and the run on the window's run service.
// - Cancel, Escape and the close box never close the dialog while a run works: they only ask
//   the run to stop. Enter does nothing.
// - The records' new states are applied on the UI thread as the run reports them.
// - The dialog ends only after its run has finished; it never waits for the run on the UI
//   thread while the run may wait for an answer.
// - The run's work never uses the dialog (see MakeWork), so the dialog may go at any time: its
//   destructor stops the run and waits for it, and nothing of a subclass is left in use.
// - Work that throws ends the run: the text is shown as the run's error, in the results and in
//   a box; closing the box ends the dialog's run as an end would.
class CRunDialog : public QDialog, protected IRunView {
    Q_OBJECT
public:
    ~CRunDialog() override;

    CColorListBox* Results() const { return m_Results; }
    CPathLabel* CurrentFile() const { return m_CurrentFile; }
    QGroupBox* StageBox() const { return m_Stage; }
    QProgressBar* Progress() const { return m_Progress; }
    QPushButton* CancelButton() const { return m_Cancel; }
    CQtRunHost& Host() { return m_Host; }
    bool StopRequested() const { return m_Host.AbortRequested(); }
    // What the run did, in a few words, for the status bar once the dialog has closed
    // ("52 analysed: 50 OK, 2 corrupt"); empty when it did nothing worth saying.
    virtual QString Summary() const { return {}; }
    bool IsWorking() const { return m_Working; }

public slots:
    void reject() override;

protected:
    // help: the program's help-context number, set to helpContext while the dialog exists
    // (null: left as it is).
    CRunDialog(CRunService& runs, CHelpContext* help, int helpContext, const QString& caption,
               QWidget* parent);

    // The run's work, run on a thread of the run service with the dialog's host and tracks. It
    // must not use the dialog: what it needs it captures by value, what it hands back it
    // writes into shared state of its own (read once the run has finished).
    using Work = std::function<void(IRunHost& host, const std::vector<TrackRecord*>& tracks)>;
    // Makes the work when the run starts, on the UI thread.
    virtual Work MakeWork() = 0;
    // On the UI thread once the run has finished; ended: the run reported its end.
    virtual void WorkerFinished(bool ended) = 0;
    // Cancel, Escape or the close box.
    virtual void OnCancel();

    void StartWorker();
    QHBoxLayout* ButtonRow() const { return m_ButtonRow; }
    std::vector<TrackRecord*>& Tracks() { return m_Tracks; }
    // The last state the run reported for each track it touched, by index into Tracks().
    const std::map<std::size_t, TrackUpdate>& Updates() const { return m_Updates; }

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // IRunView
    void ShowCurrentFile(const QString& path) override;
    void ShowStage(const QString& word) override;
    void ClearResults() override;
    void AddResults(std::vector<std::pair<QString, std::uint32_t>>&& lines) override;
    void ScrollResultsToEnd() override;
    void ShowProgress(int percent) override;
    void ApplyUpdate(const TrackUpdate& update) override;
    void OnRunEnded() override;
    QWidget* MessageParent() override { return this; }

    // Hides the results list and its caption (a dialog that shows no result lines).
    void HideResults();

private:
    // Stops a run that still works and waits for it (the dialog is being destroyed): every
    // question is answered at once from now on, so the wait cannot wait for an answer.
    void StopWorker();
    void OnWorkerFinished();
    void OnWorkerFailed(const QString& error);

    CHelpContextScope m_Help;
    std::vector<TrackRecord*> m_Tracks;
    CColorListBox* m_Results;
    CPathLabel* m_CurrentFile;
    QGroupBox* m_Stage;
    QProgressBar* m_Progress;
    QPushButton* m_Cancel;
    QHBoxLayout* m_ButtonRow;
    QLabel* m_ResultsLabel;
    CQtRunHost m_Host;
    CRunService& m_Runs;
    CRunService::CRunHandle m_Run;
    bool m_Working = false;
    bool m_RunEnded = false;
    std::map<std::size_t, TrackUpdate> m_Updates;
};

}  // namespace sonvara
