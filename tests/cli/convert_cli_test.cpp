// sonvara-cli conversions as a user runs them, with the settings in a file of the test's own.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

const std::string kCli = SONVARA_CLI_PATH;

class ConvertCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
        std::filesystem::create_directories(m_Dir.File("in"));
        for (int i = 0; i < 3; ++i) {
            SynthWav(m_Dir.File("in/w" + std::to_string(i) + ".wav"), "-r 44100 -c 2",
                     "1.5 sine " + std::to_string(300 + 100 * i));
        }
        LameEncode(m_Dir.File("in/w0.wav"), m_Dir.File("in/m.mp3"), "-b 128 --tt Title");
        const std::string ini = "[GeneralProperties]\nTrackDir=" + m_Dir.File("out") + "\n";
        WriteFile(m_Dir.File("cfg.ini"), Bytes(ini.begin(), ini.end()));
    }
    CommandResult Cli(const std::string& args) {
        return RunCommand("SONVARA_CONFIG=" + ShellQuote(m_Dir.File("cfg.ini")) + " " + kCli + " " +
                          args);
    }
    CTempDir m_Dir;
};

TEST_F(ConvertCli, WavToMp3WritesEveryTrackInListOrderWithOneOrTwoJobs) {
    const CommandResult one = Cli("wav-to-mp3 --bitrate 96 " + ShellQuote(m_Dir.File("in")));
    ASSERT_EQ(one.exitCode, 0) << one.err;
    std::string expected;
    for (int i = 0; i < 3; ++i) {
        expected += m_Dir.File("out") + "/w" + std::to_string(i) + ".mp3\n        ===> File OK! \n";
    }
    EXPECT_EQ(one.out, expected);
    const Bytes first = ReadFile(m_Dir.File("out/w1.mp3"));
    const CommandResult two =
        Cli("wav-to-mp3 -j 2 --yes --bitrate 96 " + ShellQuote(m_Dir.File("in")));
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(two.out, expected);
    EXPECT_TRUE(ReadFile(m_Dir.File("out/w1.mp3")) == first);  // the same encoder settings
    EXPECT_NE(two.err.find("3 converted"), std::string::npos);
}

TEST_F(ConvertCli, ExistingOutputsAreKeptWithoutATerminalAndAnUnreadableTrackIsAnError) {
    std::filesystem::create_directories(m_Dir.File("out"));
    WriteFile(m_Dir.File("out/w0.mp3"), {1});
    WriteFile(m_Dir.File("in/broken.wav"), {'R', 'I', 'F', 'F'});
    const CommandResult r = Cli("wav-to-mp3 " + ShellQuote(m_Dir.File("in")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadFile(m_Dir.File("out/w0.mp3")), (Bytes{1}));
    EXPECT_NE(r.out.find("Error\t" + m_Dir.File("in/broken.wav") + "\t"), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("2 converted, 0 failed, 1 skipped, 1 could not be read"),
              std::string::npos)
        << r.err;
}

TEST_F(ConvertCli, Mp3ToWavAndTheStoredSettingsWithOverrides) {
    const CommandResult r =
        Cli("mp3-to-wav --adpcm --no-normalize " + ShellQuote(m_Dir.File("in/m.mp3")));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, m_Dir.File("in/m.mp3") + "\n        ===> File OK! \n");
    const Bytes wav = ReadFile(m_Dir.File("out/m.wav"));
    ASSERT_GT(wav.size(), 40u);
    EXPECT_EQ(wav[20], 0x11);  // IMA ADPCM
    // The overrides were for that run only: the settings file is as it was.
    const Bytes ini = ReadFile(m_Dir.File("cfg.ini"));
    EXPECT_EQ(std::string(ini.begin(), ini.end()).find("WAVFormat"), std::string::npos);

    const CommandResult same = Cli("mp3-to-mp3 --track-dir " + ShellQuote(m_Dir.File("in")) + " " +
                                   ShellQuote(m_Dir.File("in")));
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("Give another folder with --track-dir"), std::string::npos);
    EXPECT_EQ(Cli("mp3-to-mp3 --bitrate 100 x.mp3").exitCode, 2);
    EXPECT_EQ(Cli("mp3-to-wav").exitCode, 2);
    EXPECT_EQ(Cli("wav-to-mp3 --help").exitCode, 0);
}

TEST_F(ConvertCli, AnalyzeWritesTheReportAndMovesCorruptFiles) {
    Bytes bad = MakeStream(FrameShape{}, 30);
    bad.erase(bad.begin() + 2000, bad.begin() + 2100);
    WriteFile(m_Dir.File("in/bad.mp3"), bad);
    std::filesystem::create_directories(m_Dir.File("corrupt"));
    const CommandResult r =
        Cli("analyze --report " + ShellQuote(m_Dir.File("r.txt")) + " --move-corrupt " +
            ShellQuote(m_Dir.File("corrupt")) + " " + ShellQuote(m_Dir.File("in")));
    EXPECT_EQ(r.exitCode, 1);  // a corrupt file was found
    const Bytes report = ReadFile(m_Dir.File("r.txt"));
    const std::string text(report.begin(), report.end());
    EXPECT_EQ(
        text.rfind("Analysis Results:\n\nFile: " + m_Dir.File("in/bad.mp3") + "\nCheck: Corrupt\n",
                   0),
        0u)
        << text;
    EXPECT_NE(text.find("Title: Title\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(m_Dir.File("corrupt/bad.mp3")));
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("in/bad.mp3")));
    EXPECT_EQ(Cli("analyze --report r.log x.mp3").exitCode, 2);
}

}  // namespace
}  // namespace sonvara::test
