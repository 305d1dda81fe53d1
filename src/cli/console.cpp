#include "cli/console.h"

#include <atomic>
#include <csignal>

#include "platform/fileinfo.h"
#include "platform/text.h"

namespace sonvara::cli {

namespace {
// Written by the signal handler, read by the run's worker threads (a -j N walk asks whether to
// stop): an atomic, which is also safe in a handler because it is lock-free. A volatile
// sig_atomic_t is only safe for the thread the signal interrupted.
std::atomic<int> g_Signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int signal) {
    if (g_Signal.load() != 0) {
        // The second request: no more waiting for a clean stop.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_Signal.store(signal);
}
}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a question waiting for input returns at once
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
#endif
}

bool Interrupted() {
    return g_Signal.load() != 0;
}
int InterruptSignal() {
    return g_Signal.load();
}
int InterruptedExitStatus() {
    return 128 + InterruptSignal();
}

std::string EscapeField(std::string_view text) {
    return EscapeControls(text, true);
}

CConsole::CConsole() : m_ProgressOn(IsTerminal(stderr)) {}

CConsole::~CConsole() {
    ClearProgress();
}

void CConsole::PrintLine(const std::string& line) {
    ClearProgress();
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void CConsole::PrintFields(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            line += '\t';
        }
        first = false;
        line += EscapeField(field);
    }
    PrintLine(line);
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
