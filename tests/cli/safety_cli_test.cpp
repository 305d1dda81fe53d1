// sonvara-cli on collections with repeated names, links and interruptions: nothing a user owns
// is lost, nothing is written through a link, and the output tells the truth.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/encoders.h"
#include "support/filesnapshot.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

extern char** environ;

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

const std::string kCli = SONVARA_CLI_PATH;

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::size_t CountLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class SafetyCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
        fs::create_directories(m_Dir.File("in"));
        WriteIni("[GeneralProperties]\nTrackDir=" + m_Dir.File("out") + "\nNormalize=0\n");
    }
    void WriteIni(const std::string& ini) {
        WriteFile(m_Dir.File("cfg.ini"), Bytes(ini.begin(), ini.end()));
    }
    std::string Env() const {
        return "SONVARA_CONFIG=" + ShellQuote(m_Dir.File("cfg.ini")) +
               " HOME=" + ShellQuote(m_Dir.Path()) +
               " XDG_MUSIC_DIR=" + ShellQuote(m_Dir.File("music")) + " ";
    }
    CommandResult Cli(const std::string& args) { return RunCommand(Env() + kCli + " " + args); }
    std::string Q(const std::string& name) const { return ShellQuote(m_Dir.File(name)); }
    std::string P(const std::string& name) const { return m_Dir.File(name); }

    // A short WAV (tone given by the frequency) and an MP3 made from it.
    void Wav(const std::string& name, int hz, double seconds = 1.0) {
        fs::create_directories(fs::path(P(name)).parent_path());
        SynthWav(P(name), "-r 44100 -c 2", std::to_string(seconds) + " sine " + std::to_string(hz));
    }
    void Mp3(const std::string& name, int hz, const std::string& options = "-b 128") {
        fs::create_directories(fs::path(P(name)).parent_path());
        const std::string wav = P("tone-" + std::to_string(hz) + ".wav");
        if (!fs::exists(wav)) {
            SynthWav(wav, "-r 44100 -c 2", "1 sine " + std::to_string(hz));
        }
        LameEncode(wav, P(name), options);
    }
    void CorruptMp3(const std::string& name, int frames = 40) {
        fs::create_directories(fs::path(P(name)).parent_path());
        WriteFile(P(name), MakeStreamWithGap(frames));
    }
    // A stream of frames with 100 bytes cut out of it: corrupt.
    static Bytes MakeStreamWithGap(int frames) {
        Bytes bad = MakeStream(FrameShape{}, frames);
        bad.erase(bad.begin() + 2000, bad.begin() + 2100);
        return bad;
    }

    CTempDir m_Dir;
};

// ---------------------------------------------------------------------------------------------
// Outputs that collide within one run

TEST_F(SafetyCli, SameOutputNamesFromTwoFoldersAreFoundBeforeWritingWithOneOrTwoJobs) {
    Wav("in/a/x.wav", 300);
    Wav("in/b/x.wav", 500);
    Wav("in/c/y.wav", 700);
    // A reference of what in/a/x.wav alone gives.
    ASSERT_EQ(Cli("wav-to-mp3 --track-dir " + Q("ref") + " " + Q("in/a/x.wav")).exitCode, 0);
    const Bytes reference = ReadFile(P("ref/x.mp3"));
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        fs::remove_all(P("out"));
        const FileSnapshot sources = TakeSnapshot(P("in"));
        const CommandResult r = Cli(std::string("wav-to-mp3 -r --yes -j ") + jobs + " " + Q("in"));
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        // The first in list order is written; the second is skipped with the reason.
        EXPECT_EQ(ReadFile(P("out/x.mp3")), reference);
        EXPECT_TRUE(fs::exists(P("out/y.mp3")));
        EXPECT_NE(r.out.find(P("in/b/x.wav") + "\n        ===> NOT CONVERTED: " + P("out/x.mp3") +
                             " is also the output of " + P("in/a/x.wav")),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.err.find("2 converted, 0 failed, 1 skipped"), std::string::npos) << r.err;
        EXPECT_EQ(SnapshotDifference(sources, TakeSnapshot(P("in"))), "");
        EXPECT_TRUE(TempFilesUnder(P("out")).empty());
    }
}

TEST_F(SafetyCli, NamesDifferingInTheExtensionsCaseCollideAndAnEarlierOutputIsNeverReplaced) {
    Mp3("in/a.MP3", 300);
    Mp3("in/a.mp3", 600);
    ASSERT_EQ(Cli("mp3-to-wav --track-dir " + Q("ref") + " " + Q("in/a.MP3")).exitCode, 0);
    const Bytes reference = ReadFile(P("ref/a.wav"));
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        // The user's own a.wav is there and --yes agrees to replace it: once, by the first.
        fs::remove_all(P("out"));
        fs::create_directories(P("out"));
        WriteFile(P("out/a.wav"), {'m', 'i', 'n', 'e'});
        const CommandResult r = Cli(std::string("mp3-to-wav --yes -j ") + jobs + " " + Q("in"));
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        EXPECT_EQ(ReadFile(P("out/a.wav")), reference);  // a.MP3 sorts first
        EXPECT_NE(r.out.find(P("in/a.mp3") + "\n        ===> NOT CONVERTED: "), std::string::npos)
            << r.out;
        EXPECT_NE(r.err.find("1 converted, 0 failed, 1 skipped"), std::string::npos) << r.err;
        EXPECT_TRUE(TempFilesUnder(P("out")).empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Writing through links

TEST_F(SafetyCli, AnOutputThatIsALinkIsReplacedAndItsTargetKept) {
    Wav("in/x.wav", 400);
    fs::create_directories(P("out"));
    fs::create_directories(P("elsewhere"));
    WriteFile(P("elsewhere/keep.mp3"), {'k', 'e', 'e', 'p'});
    fs::create_symlink(P("elsewhere/keep.mp3"), P("out/x.mp3"));
    const FileSnapshot kept = TakeSnapshot(P("elsewhere"));
    const CommandResult r = Cli("wav-to-mp3 --yes " + Q("in/x.wav"));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_FALSE(fs::is_symlink(P("out/x.mp3")));
    EXPECT_GT(fs::file_size(P("out/x.mp3")), 1000u);
    EXPECT_EQ(SnapshotDifference(kept, TakeSnapshot(P("elsewhere"))), "");

    // Without agreement the link stays as it is.
    fs::remove(P("out/x.mp3"));
    fs::create_symlink(P("elsewhere/keep.mp3"), P("out/x.mp3"));
    EXPECT_EQ(Cli("wav-to-mp3 --no " + Q("in/x.wav")).exitCode, 1);
    EXPECT_TRUE(fs::is_symlink(P("out/x.mp3")));
    EXPECT_EQ(SnapshotDifference(kept, TakeSnapshot(P("elsewhere"))), "");
}

// ---------------------------------------------------------------------------------------------
// The settings file is never rewritten by a run

TEST_F(SafetyCli, TheSettingsFileIsByteForByteTheSameAfterARunWithOptions) {
    Mp3("in/m.mp3", 440);
    // An empty track directory is healed for the run only.
    WriteIni(
        "[GeneralProperties]\nTrackDir=\nWAVFormat=1\nNormalize=1\n\n[EncoderProperties]\n"
        "BitRate=3\n");
    const Bytes before = ReadFile(P("cfg.ini"));
    struct stat st {};
    ASSERT_EQ(::stat(P("cfg.ini").c_str(), &st), 0);
    const CommandResult r = Cli("mp3-to-wav --pcm --no-normalize --skip-corrupt --track-dir " +
                                Q("out") + " " + Q("in/m.mp3"));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(ReadFile(P("cfg.ini")), before);
    const CommandResult e = Cli("mp3-to-mp3 --bitrate 64 --vbr --quality high --track-dir " +
                                Q("out2") + " " + Q("in/m.mp3"));
    ASSERT_EQ(e.exitCode, 0) << e.out << e.err;
    EXPECT_EQ(ReadFile(P("cfg.ini")), before);
    struct stat after {};
    ASSERT_EQ(::stat(P("cfg.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, st.st_ino);
    // The healed directory (the Music folder) was not used for anything.
    EXPECT_FALSE(fs::exists(P("music")));
}

TEST_F(SafetyCli, StoredValuesThatCannotBeUsedAreNamedAndTheirDefaultsUsed) {
    Mp3("in/m.mp3", 440);
    WriteIni("[GeneralProperties]\nTrackDir=" + m_Dir.File("out") +
             "\nWAVFormat=-7\n\n[EncoderProperties]\nBitRate=2147483647\nQuality=x\n");
    const CommandResult r = Cli("mp3-to-mp3 " + Q("in/m.mp3"));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* value : {"WAVFormat=-7", "BitRate=2147483647", "Quality=x"}) {
        EXPECT_NE(r.err.find(value), std::string::npos) << value << "\n" << r.err;
    }
    // The default bit rate (128 kbit/s) was used.
    const Bytes out = ReadFile(m_Dir.File("out/m.mp3"));
    std::size_t frame = 0;
    if (out.size() > 10 && out[0] == 'I' && out[1] == 'D' && out[2] == '3') {
        frame = 10 + (out[6] << 21 | out[7] << 14 | out[8] << 7 | out[9]);  // past a tag
    }
    ASSERT_GT(out.size(), frame + 4);
    EXPECT_EQ(out[frame + 2] >> 4, 9);  // the first frame's bit-rate index: 128 kbit/s
}

TEST_F(SafetyCli, AnEmptyTrackDirectoryIsAUsageErrorAndTheSameFolderTestFollowsTheFileSystem) {
    Mp3("in/m.mp3", 440);
    const CommandResult empty = Cli("mp3-to-wav --track-dir '' " + Q("in/m.mp3"));
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.err.find("--track-dir"), std::string::npos);
    EXPECT_FALSE(fs::exists(P("out")));

    // The source folder under another spelling: refused, in CLI words, and nothing is made.
    const CommandResult same = Cli("mp3-to-mp3 --track-dir " + Q("in/new/..") + " " + Q("in"));
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("--track-dir"), std::string::npos) << same.err;
    EXPECT_EQ(same.err.find("register"), std::string::npos) << same.err;
    EXPECT_FALSE(fs::exists(P("in/new")));
    fs::create_symlink(P("in"), P("linked"));
    EXPECT_EQ(Cli("mp3-to-mp3 --track-dir " + Q("linked") + " " + Q("in")).exitCode, 1);

    // A folder whose name differs only in case is another folder on this file system.
    const CommandResult other = Cli("mp3-to-mp3 --track-dir " + Q("IN") + " " + Q("in"));
    EXPECT_EQ(other.exitCode, 0) << other.err;
    EXPECT_TRUE(fs::exists(P("IN/m.mp3")));
}

// ---------------------------------------------------------------------------------------------
// Interrupted conversions: outputs complete or absent, no temporary file left

// Starts a command line (the first word a program, environment settings before it) as a
// process of its own, with both output streams into outFile.
pid_t Spawn(const std::string& commandLine, const std::string& outFile) {
    const std::string full =
        "exec env " + commandLine + " >" + ShellQuote(outFile) + " 2>&1 </dev/null";
    const char* argv[] = {"/bin/sh", "-c", full.c_str(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        return -1;
    }
    return pid;
}

bool AnyOf(const std::string& folder, bool temporary) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if ((name[0] == '.') == temporary) {
            return true;
        }
    }
    return false;
}

TEST_F(SafetyCli, StoppingALongConversionLeavesEveryOutputCompleteOrAbsent) {
    for (int i = 0; i < 5; ++i) {
        Wav("in/t" + std::to_string(i) + ".wav", 200 + 50 * i, 25.0);
    }
    ASSERT_EQ(Cli("wav-to-mp3 -j 2 --track-dir " + Q("ref") + " " + Q("in")).exitCode, 0);
    const FileSnapshot sources = TakeSnapshot(P("in"));
    struct Point {
        int signal;
        const char* jobs;
        bool waitForTemporary;  // else: for the first complete output
    };
    for (const Point point :
         {Point{SIGTERM, "1", true}, Point{SIGINT, "2", true}, Point{SIGHUP, "1", false},
          Point{SIGTERM, "2", false}, Point{SIGINT, "1", false}}) {
        SCOPED_TRACE(std::to_string(point.signal) + " -j " + point.jobs +
                     (point.waitForTemporary ? " mid-track" : " after a track"));
        fs::remove_all(P("out"));
        const pid_t pid =
            Spawn(Env() + kCli + " wav-to-mp3 -j " + point.jobs + " " + Q("in"), P("log"));
        ASSERT_GT(pid, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int status = 0;
        pid_t ended = 0;
        while (std::chrono::steady_clock::now() < deadline &&
               !AnyOf(P("out"), point.waitForTemporary) &&
               (ended = ::waitpid(pid, &status, WNOHANG)) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (ended == 0) {
            ::kill(pid, point.signal);
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        }
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        const std::string log = Text(ReadFile(P("log")));
        if (WEXITSTATUS(status) == 0) {
            continue;  // the run was already done: nothing to check but the outputs below
        }
        EXPECT_EQ(WEXITSTATUS(status), 128 + point.signal) << log;
        EXPECT_NE(log.find("(interrupted)"), std::string::npos) << log;
        EXPECT_TRUE(TempFilesUnder(P("out")).empty());
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(P("out"), ec)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(ReadFile(e.path().string()) == ReadFile(P("ref/" + name))) << name;
        }
        EXPECT_EQ(SnapshotDifference(sources, TakeSnapshot(P("in"))), "");
    }
}

TEST_F(SafetyCli, ARerunAfterAKillIsNotBlockedAndClearsWhatTheKillLeft) {
    Wav("in/t.wav", 300, 20.0);
    fs::create_directories(P("out"));
    const pid_t pid = Spawn(Env() + kCli + " wav-to-mp3 " + Q("in"), P("log"));
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    pid_t ended = 0;
    while (std::chrono::steady_clock::now() < deadline && !AnyOf(P("out"), true) &&
           (ended = ::waitpid(pid, &status, WNOHANG)) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_FALSE(fs::exists(P("out/t.mp3")));  // nothing under the final name
    const CommandResult r = Cli("wav-to-mp3 " + Q("in"));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(P("out/t.mp3")));
    EXPECT_TRUE(TempFilesUnder(P("out")).empty());
}

// ---------------------------------------------------------------------------------------------
// One bad track does not end a batch; every failure says why

TEST_F(SafetyCli, AnUnsupportedTrackGetsItsReasonAndTheBatchGoesOn) {
    Wav("in/a.wav", 300);
    SynthWav(P("in/b.wav"), "-r 44100 -c 6", "1 sine 400");  // six channels
    Wav("in/c.wav", 500);
    const CommandResult r = Cli("wav-to-mp3 " + Q("in"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(fs::exists(P("out/a.mp3")));
    EXPECT_FALSE(fs::exists(P("out/b.mp3")));
    EXPECT_TRUE(fs::exists(P("out/c.mp3")));
    EXPECT_NE(r.out.find("channels"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("2 converted"), std::string::npos) << r.err;
}

TEST_F(SafetyCli, AnOutputThatCannotBeWrittenIsNeverReportedAsOkOrCorrupt) {
    Mp3("in/m.mp3", 440);
    Mp3("in/n.mp3", 550);
    Wav("in/w.wav", 300);
    // A folder stands where the output should go.
    fs::create_directories(P("out/m.wav/inside"));
    fs::create_directories(P("out/w.mp3/inside"));
    const CommandResult decode = Cli("mp3-to-wav --yes " + Q("in"));
    EXPECT_EQ(decode.exitCode, 1);
    EXPECT_EQ(decode.out.find(P("in/m.mp3") + "\n        ===> File OK!"), std::string::npos)
        << decode.out;
    EXPECT_NE(decode.out.find("        ===> NOT CONVERTED: "), std::string::npos) << decode.out;
    EXPECT_TRUE(fs::exists(P("out/n.wav")));  // the next track was converted
    const CommandResult encode = Cli("wav-to-mp3 --yes " + Q("in"));
    EXPECT_EQ(encode.exitCode, 1);
    EXPECT_EQ(encode.out.find("FILE CORRUPT"), std::string::npos) << encode.out;
    EXPECT_NE(encode.out.find("        ===> NOT CONVERTED: "), std::string::npos) << encode.out;
    EXPECT_TRUE(fs::is_directory(P("out/w.mp3/inside")));
    EXPECT_TRUE(TempFilesUnder(P("out")).empty());
}

// ---------------------------------------------------------------------------------------------
// Machine-readable output cannot be forged

TEST_F(SafetyCli, NamesWithTabsAndLineBreaksStayOnOneEscapedLine) {
    Mp3("in/tab\there.mp3", 300);
    Mp3("in/line\nbreak.mp3", 400);
    Mp3("in/back\\slash.mp3", 500);
    const CommandResult r = Cli("analyze " + Q("in"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "OK\t" + P("in/back\\\\slash.mp3") + "\nOK\t" + P("in/line\\nbreak.mp3") +
                         "\nOK\t" + P("in/tab\\there.mp3") + "\n");
    const CommandResult c = Cli("mp3-to-wav " + Q("in"));
    EXPECT_EQ(c.exitCode, 0) << c.err;
    EXPECT_EQ(CountLines(c.out), 6u) << c.out;  // two lines per track
    EXPECT_NE(c.out.find(P("in/line\\nbreak.mp3") + "\n"), std::string::npos) << c.out;
    EXPECT_TRUE(fs::exists(P("out/line\nbreak.wav")));
}

TEST_F(SafetyCli, TheReportKeepsEveryTrackToSevenLinesAndAsksBeforeReplacing) {
    const std::string wav = P("tone.wav");
    SynthWav(wav, "-r 44100 -c 2", "1 sine 440");
    LameEncode(wav, P("in/a.mp3"),
               "-b 128 --tt " + ShellQuote("one\ntwo\rthree") + " --ta " + ShellQuote("tab\there"));
    CorruptMp3("in/b.mp3");
    WriteFile(P("in/c.mp3"), Bytes(3000, 0x42));  // cannot be checked
    const CommandResult r = Cli("analyze --report " + Q("r.txt") + " " + Q("in"));
    EXPECT_EQ(r.exitCode, 1);
    const std::string report = Text(ReadFile(P("r.txt")));
    EXPECT_NE(report.find("Title: one\\ntwo\\rthree\nArtist: tab\\there\n"), std::string::npos)
        << report;
    EXPECT_EQ(CountLines(report), 2u + 2 * 8);  // title, blank, then seven lines and a blank
    // The track that could not be checked is named, with its reason, on standard error.
    EXPECT_NE(r.err.find("not in the report: " + P("in/c.mp3") + ": "), std::string::npos) << r.err;

    // An existing report is kept without --yes (no terminal to ask), replaced with it; a link
    // of that name is replaced, never written through.
    WriteFile(P("mine.txt"), {'m'});
    fs::create_symlink(P("mine.txt"), P("r2.txt"));
    const CommandResult keep = Cli("analyze --report " + Q("r2.txt") + " " + Q("in/a.mp3"));
    EXPECT_EQ(keep.exitCode, 1);
    EXPECT_TRUE(fs::is_symlink(P("r2.txt")));
    EXPECT_EQ(ReadFile(P("mine.txt")), (Bytes{'m'}));
    const CommandResult yes = Cli("analyze --yes --report " + Q("r2.txt") + " " + Q("in/a.mp3"));
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_FALSE(fs::is_symlink(P("r2.txt")));
    EXPECT_EQ(ReadFile(P("mine.txt")), (Bytes{'m'}));
}

// ---------------------------------------------------------------------------------------------
// Moving corrupt files

TEST_F(SafetyCli, SameNamedCorruptFilesNeverReplaceEachOtherOrTheUsersFiles) {
    CorruptMp3("in/a/x.mp3", 40);
    CorruptMp3("in/b/x.mp3", 50);
    CorruptMp3("in/c/y.mp3", 45);
    CorruptMp3("in/d/z.mp3", 42);
    CorruptMp3("elsewhere/q.mp3", 43);
    fs::create_symlink("../../elsewhere/q.mp3", P("in/d/rel.mp3"));  // would dangle if moved
    const Bytes bx = ReadFile(P("in/b/x.mp3"));
    const Bytes dz = ReadFile(P("in/d/z.mp3"));
    fs::create_directories(P("bad"));
    WriteFile(P("bad/z.mp3"), {'u', 's', 'e', 'r'});  // the user's
    const FileSnapshot outside = TakeSnapshot(P("elsewhere"));

    // --no: the user's file stays; of two same-named files only the first is moved.
    const CommandResult r = Cli("analyze -r --no --move-corrupt " + Q("bad") + " " + Q("in"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadFile(P("bad/x.mp3")), MakeStreamWithGap(40));
    EXPECT_EQ(ReadFile(P("in/b/x.mp3")), bx);
    EXPECT_NE(r.err.find("not moved: " + P("in/b/x.mp3") + ": "), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(P("bad/z.mp3")), (Bytes{'u', 's', 'e', 'r'}));
    EXPECT_EQ(ReadFile(P("in/d/z.mp3")), dz);
    EXPECT_NE(r.err.find("not moved: " + P("in/d/z.mp3") + ": "), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_symlink(P("in/d/rel.mp3")));
    EXPECT_NE(r.err.find("not moved: " + P("in/d/rel.mp3") + ": a relative symbolic link"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::exists(P("bad/y.mp3")));
    EXPECT_EQ(SnapshotDifference(outside, TakeSnapshot(P("elsewhere"))), "");

    // --yes: the user agreed to replace what was there before, but a file moved in this same
    // run is never the one replaced.
    CorruptMp3("in/e/z.mp3", 44);
    const Bytes ez = ReadFile(P("in/e/z.mp3"));
    const CommandResult yes = Cli("analyze -r --yes --move-corrupt " + Q("bad") + " " + Q("in"));
    EXPECT_EQ(yes.exitCode, 1);
    EXPECT_EQ(ReadFile(P("bad/z.mp3")), dz);  // in/d sorts before in/e
    EXPECT_EQ(ReadFile(P("in/e/z.mp3")), ez);
    EXPECT_NE(yes.err.find("not moved: " + P("in/e/z.mp3") + ": "), std::string::npos) << yes.err;
    EXPECT_EQ(ReadFile(P("bad/x.mp3")), bx);  // moved by an earlier run: replaced as agreed

    // A destination folder that does not exist is made.
    const CommandResult made = Cli("analyze -r --move-corrupt " + Q("new/bad") + " " + Q("in/e"));
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_EQ(ReadFile(P("new/bad/z.mp3")), ez);
    EXPECT_EQ(SnapshotDifference(outside, TakeSnapshot(P("elsewhere"))), "");
}

// ---------------------------------------------------------------------------------------------
// Arguments

TEST_F(SafetyCli, TheSameFileNamedTwiceIsCheckedOnce) {
    Mp3("in/m1/a.mp3", 300);
    const CommandResult r = RunCommand("cd " + Q("in") + " && " + Env() + kCli +
                                       " analyze m1 ./m1 " + Q("in/m1") + " m1/a.mp3");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(CountLines(r.out), 1u) << r.out;
    EXPECT_NE(r.err.find("1 of 1 files checked"), std::string::npos) << r.err;
}

TEST_F(SafetyCli, PathsBeyondThePlatformLimitAreWarnedAbout) {
    Mp3("in/ok.mp3", 300);
    // Folders nested until their path is longer than the system allows for one path, made
    // step by step relative to the folder above.
    const std::string name(200, 'd');
    int fd = ::open(P("in").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 22; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const Bytes audio = ReadFile(P("in/ok.mp3"));
    const int file = ::openat(fd, "deep.mp3", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, audio.data(), audio.size()), static_cast<ssize_t>(audio.size()));
    ::close(file);
    ::close(fd);
    const CommandResult r = Cli("analyze -r " + Q("in"));
    RunCommand("rm -rf " + Q("in/" + name));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("OK\t" + P("in/ok.mp3") + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Error\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("too long"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace sonvara::test
