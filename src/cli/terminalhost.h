#pragma once

#include <string>
#include <vector>

#include "jobs/runhost.h"
#include "tracks/tracklist.h"

namespace sonvara::cli {

class CConsole;

// How the batch front end answers the overwrite question.
enum class OverwritePolicy { kAsk, kYes, kNo };

// Asks a yes/no/cancel/quit question on the terminal, or answers it by the policy. Without a
// terminal, "ask" answers no.
class CTerminalQuestions {
public:
    CTerminalQuestions(CConsole& console, OverwritePolicy policy);
    // 0 yes, 1 no, 2 cancel (keep and go on, as no), 3 quit (end the run; also at the end of
    // the input).
    int Ask(const std::string& question);

private:
    CConsole& m_Console;
    OverwritePolicy m_Policy;
};

// A run's host on a terminal: result lines on standard output (red where the run says so,
// on a terminal only), messages and errors on standard error, Ctrl+C as the stop request.
// The records' new states are applied at once (the run's thread owns the list here).
class CTerminalHost : public IRunHost {
public:
    CTerminalHost(CConsole& console, CTerminalQuestions& questions,
                  std::vector<TrackRecord*> tracks = {});

    bool IsAborted() override;
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string& path) override;
    void SetStage(const std::string&) override {}
    void ClearResults() override {}
    void AddResult(const std::string& text, std::uint32_t colour) override;
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ReportError(const std::string& path, const std::string& reason) override;
    void UpdateTrack(const TrackUpdate& update) override;
    void RunEnded() override {}

    // Messages shown and errors reported so far.
    int failures = 0;
    // Said instead of the window's words when a run refuses to convert into a source's folder.
    std::string sameFolderText;

protected:
    CConsole& m_Console;

private:
    CTerminalQuestions& m_Questions;
    std::vector<TrackRecord*> m_Tracks;
    bool m_Colour;
};

}  // namespace sonvara::cli
