#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tracks/tracklist.h"
#include "ui/rundialog.h"

namespace sonvara {

// "Read Files Information": reads the new files of an add on the run service behind a modal
// run dialog that shows the current file and the progress (every step), no result lines. The
// run never touches the list; the document appends what it read once the dialog has closed.
// Cancel (and closing the window) only asks the run to stop; the dialog closes shortly after
// the run has ended.
class CDlgReadFilesInfo : public CRunDialog {
    Q_OBJECT
public:
    CDlgReadFilesInfo(CRunService& runs, std::vector<std::string> paths, bool readTags,
                      QWidget* parent = nullptr);

    // What the run read, in path order (after exec() returned).
    std::vector<ReadTrack> TakeResults() { return std::move(*m_Results); }
    bool WasCancelled() const { return StopRequested(); }

signals:
    // Each progress value the bar was set to, on the UI thread.
    void progressSet(int percent);

protected:
    void showEvent(QShowEvent* event) override;
    Work MakeWork() override;
    void WorkerFinished(bool ended) override;
    void ShowProgress(int percent) override;

private:
    static constexpr int kCloseDelayMs = 100;

    std::shared_ptr<const std::vector<std::string>> m_Paths;
    bool m_ReadTags;
    // Written by the run, read once it has finished.
    std::shared_ptr<std::vector<ReadTrack>> m_Results = std::make_shared<std::vector<ReadTrack>>();
    bool m_Started = false;
};

}  // namespace sonvara
