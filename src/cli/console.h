#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace sonvara::cli {

// Result lines on standard output, and a one-line progress display on standard error that is
// drawn only when standard error is a terminal (and cleared before each result line).
class CConsole {
public:
    CConsole();
    ~CConsole();

    void PrintLine(const std::string& line);
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

// Ctrl+C sets a flag instead of ending the process, so that runs can stop cleanly.
void InstallInterruptHandler();
bool Interrupted();

}  // namespace sonvara::cli
