// Why a file cannot be opened or read, and Read telling the end of the audio (0) from an
// error (-1), for both kinds of audio file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <memory>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "support/childprocess.h"
#include "support/encoders.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<CAudioFile> FileOfKind(bool mpeg) {
    if (mpeg) {
        return std::make_unique<CAudioMpegFile>();
    }
    return std::make_unique<CAudioWaveFile>();
}

// Reads to the end or the first error; the bytes that came and the last Read's result.
std::pair<std::size_t, int> ReadToEnd(CAudioFile& f) {
    std::vector<std::uint8_t> buf(32768);
    std::size_t total = 0;
    for (;;) {
        const int n = f.Read(1, buf.size(), buf.data(), buf.size());
        if (n <= 0) {
            return {total, n};
        }
        total += static_cast<std::size_t>(n);
    }
}

// Makes every later read of the open file at path fail as a failing disk would: the process's
// descriptor on it is pointed at a folder, which the system refuses to read from (EISDIR).
bool BreakOpenFile(const std::string& path, const std::string& folder) {
    const std::string target = fs::canonical(path).string();
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        char link[PATH_MAX] = {};
        const ssize_t n = ::readlink(entry.path().c_str(), link, sizeof link - 1);
        if (n <= 0 || std::string(link, static_cast<std::size_t>(n)) != target) {
            continue;
        }
        const int fd = std::stoi(entry.path().filename().string());
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool ok = dir >= 0 && ::dup2(dir, fd) == fd;
        ::close(dir);
        return ok;
    }
    return false;
}

class Unreadable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(HaveTool("lame") && HaveTool("sox")) << "installed by the set-up script";
    }
    std::string Mp3(const std::string& name, double seconds = 3.0) {
        const std::string wav = SynthWav(m_Dir.File(name + ".wav"), "-r 44100 -c 2",
                                         std::to_string(seconds) + " sine 200-2000");
        return LameEncode(wav, m_Dir.File(name + ".mp3"), "-b 128");
    }
    CTempDir m_Dir;
};

TEST_F(Unreadable, TheReasonIsTheRealOneForEitherKind) {
    const std::string mp3 = Mp3("good");
    const std::string wav = m_Dir.File("good.wav");
    WriteFile(m_Dir.File("text.mp3"), Bytes(5000, 'a'));
    WriteFile(m_Dir.File("text.wav"), Bytes(5000, 'a'));
    WriteFile(m_Dir.File("nodata.wav"), MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)}}));
    WriteFile(m_Dir.File("gsm.wav"),
              MakeRiff({{"fmt ", FmtData(0x31, 1, 8000, 16)}, {"data", Bytes(650, 0)}}));
    WriteFile(m_Dir.File("six.wav"),
              MakeRiff({{"fmt ", FmtData(1, 6, 44100, 16)}, {"data", Bytes(1200, 0)}}));
    fs::create_directory(m_Dir.File("folder.mp3"));
    struct Case {
        const char* name;
        bool mpeg;
        const char* reason;  // a part of UnreadableReason
    };
    const Case cases[] = {
        {"missing.mp3", true, "No such file or directory"},
        {"missing.wav", false, "No such file or directory"},
        {"folder.mp3", true, "Is a directory"},
        {"text.mp3", true, "not MPEG audio"},
        {"text.wav", false, "not a RIFF WAVE file"},
        {"nodata.wav", false, "no WAV data chunk"},
        {"gsm.wav", false, "unsupported WAV format (format tag 0x0031"},
        {"six.wav", false, "6 channels"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CAudioFile> f = FileOfKind(c.mpeg);
        f->SetFileName(m_Dir.File(c.name));
        f->OpenStream();
        char buf[64];
        EXPECT_EQ(f->Read(1, sizeof buf, buf, sizeof buf), -1) << c.name;
        EXPECT_NE(f->UnreadableReason().find(c.reason), std::string::npos)
            << c.name << ": " << f->UnreadableReason();
    }
    // Readable files have no reason, before and after reading to the end (0, not -1).
    for (const std::string& path : {mp3, wav}) {
        std::unique_ptr<CAudioFile> f = FileOfKind(path == mp3);
        f->SetFileName(path);
        ASSERT_TRUE(f->IsValid()) << path;
        f->OpenStream();
        EXPECT_EQ(f->UnreadableReason(), "") << path;
        const auto [bytes, last] = ReadToEnd(*f);
        EXPECT_GT(bytes, 400000u) << path;
        EXPECT_EQ(last, 0) << path;
        EXPECT_EQ(f->UnreadableReason(), "") << path;
    }
}

TEST_F(Unreadable, AFileTheUserMayNotReadSaysPermissionDenied) {
    const std::string mp3 = Mp3("p");
    const std::string wav = m_Dir.File("p.wav");
    for (const std::string& path : {mp3, wav}) {
        ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    }
    ASSERT_EQ(::chmod(m_Dir.Path().c_str(), 0755), 0);
    // As an ordinary user: root may read any file.
    const int status = InChildProcess(
        [&] {
            int failures = 0;
            for (const std::string& path : {mp3, wav}) {
                std::unique_ptr<CAudioFile> f = FileOfKind(path == mp3);
                f->SetFileName(path);
                failures += f->IsValid() ? 1 : 0;
                failures += f->UnreadableReason() == "Permission denied" ? 0 : 1;
            }
            return failures;
        },
        RLIM_INFINITY, true);
    EXPECT_EQ(status, 0);
}

TEST_F(Unreadable, ADecoderErrorMidStreamIsAnErrorNotTheEnd) {
    const Bytes stream = ReadFile(Mp3("m", 4.0));
    const std::size_t half = stream.size() / 2;
    auto withInside = [&](const std::string& name, const Bytes& junk) {
        Bytes d(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(half));
        Append(d, junk);
        d.insert(d.end(), stream.begin() + static_cast<std::ptrdiff_t>(half), stream.end());
        WriteFile(m_Dir.File(name), d);
        return m_Dir.File(name);
    };
    CAudioMpegFile whole;
    whole.SetFileName(m_Dir.File("m.mp3"));
    ASSERT_TRUE(whole.IsValid());
    const std::size_t all = ReadToEnd(whole).first;

    // Two megabytes of nothing inside the stream: the decoder gives up, and says so after
    // delivering the first half.
    CAudioMpegFile gap;
    gap.SetFileName(withInside("gap.mp3", Bytes(2 * 1024 * 1024, 0)));
    ASSERT_TRUE(gap.IsValid());
    const auto [got, last] = ReadToEnd(gap);
    EXPECT_EQ(last, -1);
    EXPECT_GT(got, all / 3);
    EXPECT_LT(got, all * 2 / 3);
    EXPECT_NE(gap.UnreadableReason().find("decoding failed at"), std::string::npos)
        << gap.UnreadableReason();
    char buf[64];
    EXPECT_EQ(gap.Read(1, sizeof buf, buf, sizeof buf), -1);  // and stays so

    // A few kilobytes of damage are passed over: the audio after it is delivered.
    CAudioMpegFile damaged;
    damaged.SetFileName(withInside("damaged.mp3", Bytes(3000, 0)));
    ASSERT_TRUE(damaged.IsValid());
    const auto [damagedBytes, damagedLast] = ReadToEnd(damaged);
    EXPECT_EQ(damagedLast, 0) << damaged.UnreadableReason();
    EXPECT_NEAR(static_cast<double>(damagedBytes), static_cast<double>(all), 4 * 1152 * 4);

    // Junk after the last frame, however long, is the end.
    for (std::size_t size : {3000u, 3u * 1024 * 1024}) {
        Bytes tail = stream;
        Append(tail, Bytes(size, 0x55));
        WriteFile(m_Dir.File("tail.mp3"), tail);
        CAudioMpegFile f;
        f.SetFileName(m_Dir.File("tail.mp3"));
        ASSERT_TRUE(f.IsValid());
        const auto [bytes, end] = ReadToEnd(f);
        EXPECT_EQ(end, 0) << size << ": " << f.UnreadableReason();
        EXPECT_EQ(bytes, all) << size;
    }
}

TEST_F(Unreadable, AReadErrorOfTheFileIsAnErrorForEitherKind) {
    const std::string mp3 = Mp3("r", 20.0);
    const std::string wav = m_Dir.File("r.wav");
    const std::string adpcm = m_Dir.File("adpcm.wav");
    const CommandResult r =
        RunCommand("sox " + ShellQuote(wav) + " -e ima-adpcm " + ShellQuote(adpcm));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& path : {mp3, wav, adpcm}) {
        std::unique_ptr<CAudioFile> f = FileOfKind(path == mp3);
        f->SetFileName(path);
        f->OpenStream();
        std::vector<std::uint8_t> buf(32768);
        ASSERT_EQ(f->Read(1, buf.size(), buf.data(), buf.size()), 32768) << path;
        ASSERT_TRUE(BreakOpenFile(path, m_Dir.Path())) << path;
        const auto [bytes, last] = ReadToEnd(*f);
        EXPECT_EQ(last, -1) << path;
        EXPECT_LT(bytes, 2u * 1024 * 1024) << path;  // far from the 3.5 MB of audio
        if (path != mp3) {
            EXPECT_EQ(f->UnreadableReason(), "read error: Is a directory") << path;
        } else {
            EXPECT_NE(f->UnreadableReason().find("decoding failed at"), std::string::npos)
                << f->UnreadableReason();
        }
        f->CloseStream();
    }
}

}  // namespace
}  // namespace sonvara::test
