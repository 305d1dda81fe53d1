#pragma once

#include <string>

#include "convert/runhost.h"
#include "tracks/tracklist.h"

namespace sonvara::cli {

class CConsole;

// How the batch front end answers the overwrite question.
enum class OverwritePolicy { kAsk, kYes, kNo };

// Asks a yes/no/cancel question on the terminal, or answers it by the policy. Without a
// terminal, "ask" answers no.
class CTerminalQuestions {
public:
    CTerminalQuestions(CConsole& console, OverwritePolicy policy);
    // 0 yes, 1 no, 2 cancel.
    int Ask(const std::string& question);

private:
    CConsole& m_Console;
    OverwritePolicy m_Policy;
};

// A run's host on a terminal: result lines on standard output (red where the run says so,
// on a terminal only), messages on standard error, Ctrl+C as the stop request.
class CTerminalHost : public IRunHost {
public:
    CTerminalHost(CConsole& console, CTerminalQuestions& questions);

    bool IsAborted() override;
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string& path) override;
    void SetStage(const std::string&) override {}
    void ClearResults() override {}
    void AddResult(const std::string& text, std::uint32_t colour) override;
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string& question) override;
    void ShowMessage(const std::string& text, Icon icon) override;
    void RunEnded() override {}

private:
    CConsole& m_Console;
    CTerminalQuestions& m_Questions;
    bool m_Colour;
};

class CTerminalMoveHost : public IMoveHost {
public:
    CTerminalMoveHost(CConsole& console, CTerminalQuestions& questions)
        : m_Console(console), m_Questions(questions) {}
    Answer AskOverwrite(const std::string& question) override;
    void ShowError(const std::string& text) override;
    int failures = 0;

private:
    CConsole& m_Console;
    CTerminalQuestions& m_Questions;
};

}  // namespace sonvara::cli
