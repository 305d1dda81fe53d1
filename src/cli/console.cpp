#include "cli/console.h"

#include <csignal>

#include "platform/fileinfo.h"

namespace sonvara::cli {

namespace {
volatile std::sig_atomic_t g_Interrupted = 0;

extern "C" void OnInterrupt(int) { g_Interrupted = 1; }
}  // namespace

void InstallInterruptHandler() { std::signal(SIGINT, OnInterrupt); }
bool Interrupted() { return g_Interrupted != 0; }

CConsole::CConsole() : m_ProgressOn(IsTerminal(stderr)) {}

CConsole::~CConsole() { ClearProgress(); }

void CConsole::PrintLine(const std::string& line) {
    ClearProgress();
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void CConsole::Message(const std::string& line) {
    ClearProgress();
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void CConsole::ShowProgress(std::size_t done, std::size_t total, const std::string& text,
                            bool force) {
    if (!m_ProgressOn) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_ProgressShown && now - m_LastDraw < std::chrono::milliseconds(100)) {
        return;
    }
    m_LastDraw = now;
    std::fflush(stdout);
    std::string shown = text;
    constexpr std::size_t kWidth = 60;
    if (shown.size() > kWidth) {
        // Keep the end of a long path; step forward to a character boundary.
        std::size_t from = shown.size() - kWidth;
        while (from < shown.size() && (static_cast<unsigned char>(shown[from]) & 0xC0) == 0x80) {
            ++from;
        }
        shown = "..." + shown.substr(from);
    }
    if (total > 0) {
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done, total, shown.c_str());
    } else {
        std::fprintf(stderr, "\r\033[K%s", shown.c_str());
    }
    std::fflush(stderr);
    m_ProgressShown = true;
}

void CConsole::ClearProgress() {
    if (m_ProgressShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_ProgressShown = false;
    }
}

}  // namespace sonvara::cli
