#pragma once

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sonvara::cli {

// Result lines on standard output, and a one-line progress display on standard error that is
// drawn only when standard error is a terminal (and cleared before each result line).
class CConsole {
public:
    CConsole();
    ~CConsole();

    void PrintLine(const std::string& line);
    // A result line: the fields escaped (see EscapeField) and joined by tabs.
    void PrintFields(std::initializer_list<std::string_view> fields);
    // Shows "[done/total] text", at most a few times a second unless forced.
    void ShowProgress(std::size_t done, std::size_t total, const std::string& text,
                      bool force = false);
    void ClearProgress();
    void Message(const std::string& line);  // a line on standard error

private:
    bool m_ProgressOn;
    bool m_ProgressShown = false;
    std::chrono::steady_clock::time_point m_LastDraw{};
};

// A path or reason as one field of a result line: tab, line feed, carriage return and
// backslash as \t, \n, \r and \\, other control bytes as \xNN, so that every file is exactly
// one line and every field is free of tabs.
std::string EscapeField(std::string_view text);

// Ctrl+C (SIGINT), SIGTERM and SIGHUP set a flag instead of ending the process, so that runs
// stop cleanly: partial outputs removed, the summary printed. A second such signal ends the
// process at once.
void InstallInterruptHandler();
bool Interrupted();
// The signal that stopped the run (0 when none came).
int InterruptSignal();
// The exit status of a stopped run: 128 + the signal.
int InterruptedExitStatus();

}  // namespace sonvara::cli
