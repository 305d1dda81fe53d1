#include "pulseserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/testfiles.h"

namespace sonvara::test {

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

CPulseServer::~CPulseServer() {
    Stop();
}

bool CPulseServer::Start(std::string* why) {
    auto fail = [&](const std::string& reason) {
        const std::string log = m_dir.empty() ? "" : Slurp(m_dir + "/server.log");
        *why = reason + (log.empty() ? "" : "\n--- pulseaudio's log ---\n" + log);
        Stop();
        return false;
    };
    if (!HaveTool("pulseaudio")) {
        return fail("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)");
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sonvara-pulse-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return fail("cannot create a folder for the sound server");
    }
    m_dir = pattern;
    const std::string runtime = m_dir + "/runtime";
    const std::string fifo = m_dir + "/sink.fifo";
    const std::string socket = m_dir + "/native";
    ::mkdir(runtime.c_str(), 0700);
    if (::mkfifo(fifo.c_str(), 0600) != 0) {
        return fail("cannot create the sink's FIFO");
    }
    // Opened before the server so that the sink always has a reader; non-blocking to open.
    m_fifo = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fifo < 0) {
        return fail("cannot open the sink's FIFO");
    }
    int in[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        return fail("cannot create a pipe");
    }
    const std::string log = m_dir + "/server.log";
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(in[0], 0);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::setenv("HOME", m_dir.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
        ::unsetenv("PULSE_SERVER");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        // -n: no default script; -C: commands from standard input, which this test writes and
        // keeps open (the server ends when it closes).
        ::execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--fail", "-nC",
                 "--exit-idle-time=-1", "--log-target=stderr", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    m_commands = in[1];
    if (m_pid < 0) {
        return fail("cannot start pulseaudio");
    }
    const std::string commands =
        "load-module module-native-protocol-unix socket=" + socket +
        " auth-anonymous=1\n"
        "load-module module-pipe-sink sink_name=testsink file=" +
        fifo +
        " format=s16le rate=44100 channels=2 use_system_clock_for_timing=yes\n"
        "set-default-sink testsink\n"
        "set-sink-volume testsink 0x10000\n";
    if (::write(m_commands, commands.data(), commands.size()) !=
        static_cast<ssize_t>(commands.size())) {
        return fail("cannot send the server its commands");
    }
    m_reader = std::thread([this] { ReadLoop(); });
    m_address = "unix:" + socket;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    for (;;) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return fail("pulseaudio ended at start (status " + std::to_string(status) + ")");
        }
        struct stat st {};
        if (::stat(socket.c_str(), &st) == 0) {
            const CommandResult r =
                RunCommand("pactl -s " + ShellQuote(m_address) + " list short sinks");
            if (r.exitCode == 0 && r.out.find("testsink") != std::string::npos) {
                break;
            }
        }
        if (Clock::now() > deadline) {
            return fail("pulseaudio did not offer its pipe sink within 20 s");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::setenv("PULSE_SERVER", m_address.c_str(), 1);
    return true;
}

void CPulseServer::ReadLoop() {
    std::vector<std::uint8_t> buffer(65536);
    while (!m_stop) {
        pollfd p{m_fifo, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        const ssize_t n = ::read(m_fifo, buffer.data(), buffer.size());
        if (n <= 0) {
            // No writer yet (or any more): POLLHUP returns at once, so do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const auto at = Clock::now();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_capture.insert(m_capture.end(), buffer.begin(), buffer.begin() + n);
        m_marks.push_back({at, m_capture.size()});
    }
}

std::size_t CPulseServer::CaptureSize() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_capture.size();
}

std::vector<std::int16_t> CPulseServer::CaptureFrom(std::size_t from) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::int16_t> out;
    if (from < m_capture.size()) {
        out.resize((m_capture.size() - from) / 2);
        std::memcpy(out.data(), m_capture.data() + from, out.size() * 2);
    }
    return out;
}

std::vector<CPulseServer::ReadMark> CPulseServer::Marks() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_marks;
}

void CPulseServer::Stop() {
    if (m_commands >= 0) {
        ::close(m_commands);
        m_commands = -1;
    }
    if (m_pid > 0) {
        // Closing its input ends the server; a kill follows if it does not.
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
            if (!ended) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (!ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    m_stop = true;
    if (m_reader.joinable()) {
        m_reader.join();
    }
    if (m_fifo >= 0) {
        ::close(m_fifo);
        m_fifo = -1;
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        m_dir.clear();
    }
}

}  // namespace sonvara::test
