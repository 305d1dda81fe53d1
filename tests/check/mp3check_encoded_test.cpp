// The frame walk over real encoder output, damaged copies of it, and a file over 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <regex>

#include "check/mp3check.h"
#include "check/mp3checkjob.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

struct Encoded {
    const char* name;
    const char* format;  // sox output format
    const char* lame;    // lame options
};

// Frame count as mp3val reports it ("INFO: ...: 385 MPEG frames").
long Mp3valFrames(const std::string& path) {
    const CommandResult r = RunCommand("mp3val " + ShellQuote(path));
    std::smatch m;
    static const std::regex frames(R"((\d+) MPEG frames)");
    if (std::regex_search(r.out, m, frames)) {
        return std::stol(m[1]);
    }
    return -1;
}

class EncodedFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(HaveTool("lame")) << "lame is installed by the set-up script";
        ASSERT_TRUE(HaveTool("sox")) << "sox is installed by the set-up script";
    }
    CTempDir m_Dir;
};

TEST_F(EncodedFiles, LameOutputOfEveryRateAndModeIsIntactAndCountsLikeMp3val) {
    const bool haveMp3val = HaveTool("mp3val");
    const Encoded cases[] = {
        {"cbr128", "-r 44100 -c 2", "-b 128"},
        {"cbr320", "-r 48000 -c 2", "-b 320"},
        {"cbr32k", "-r 32000 -c 1", "-b 64 -m m"},
        {"vbr", "-r 44100 -c 2", "-V 2"},
        {"abr", "-r 44100 -c 2", "--abr 160"},
        {"mpeg2", "-r 22050 -c 2", "-b 64"},
        {"mpeg2_16k", "-r 16000 -c 1", "-V 5 -m m"},
        {"mpeg25", "-r 11025 -c 1", "-b 24 -m m"},
        {"mpeg25_8k", "-r 8000 -c 2", "-b 16"},
        {"crc", "-r 44100 -c 2", "-b 192 -p"},
        {"tags", "-r 44100 -c 2", "-b 128 --add-id3v2 --tt Title --ta Artist --tl Album"},
        {"v1only", "-r 44100 -c 2", "-b 128 --id3v1-only --tt Title"},
    };
    for (const Encoded& c : cases) {
        const std::string wav =
            SynthWav(m_Dir.File(std::string(c.name) + ".wav"), c.format, "4 sine 300-3000");
        const std::string mp3 = LameEncode(wav, m_Dir.File(std::string(c.name) + ".mp3"), c.lame);
        CMP3Check check;
        check.SetOption(CMP3Check::kOptionWholeFile, true);
        EXPECT_TRUE(check.CheckFile(mp3, nullptr)) << c.name;
        EXPECT_EQ(check.GetStreamState().errors, 0) << c.name;
        if (haveMp3val) {
            EXPECT_EQ(check.GetStreamState().goodFrames, Mp3valFrames(mp3)) << c.name;
        }
    }
}

// Only MPEG-1 Layer II forbids low bit rates in two-channel modes: an MPEG-2 Layer II file at
// 32 kbit/s stereo from twolame is intact, and the same rate and mode in MPEG-1 is not.
TEST_F(EncodedFiles, TheLayerTwoBitRateRuleHoldsForMpegOneOnly) {
    ASSERT_TRUE(HaveTool("twolame")) << "twolame is installed by the set-up script";
    const std::string wav = SynthWav(m_Dir.File("l2.wav"), "-r 22050 -c 2", "3 sine 300-3000");
    const std::string mp2 = m_Dir.File("l2.mp3");
    ASSERT_EQ(RunCommand("twolame -b 32 -m s " + ShellQuote(wav) + " " + ShellQuote(mp2)).exitCode,
              0);
    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    EXPECT_TRUE(check.CheckFile(mp2, nullptr));
    EXPECT_GT(check.GetStreamState().goodFrames, 50);
    EXPECT_EQ(check.GetStreamState().errors, 0);

    FrameShape mpeg1;  // MPEG-1 Layer II, 32 kbit/s, 44.1 kHz, stereo
    mpeg1.layer = 2;
    mpeg1.bitRateIndex = 1;
    mpeg1.mode = 0;
    WriteFile(m_Dir.File("l1.mp3"), MakeStream(mpeg1, 20));
    CMP3Check strict;
    strict.SetOption(CMP3Check::kOptionWholeFile, true);
    EXPECT_FALSE(strict.CheckFile(m_Dir.File("l1.mp3"), nullptr));
    EXPECT_EQ(strict.GetStreamState().goodFrames, 0);
}

TEST_F(EncodedFiles, CutOrInsertedBytesInsideTheStreamMakeItCorrupt) {
    const std::string wav = SynthWav(m_Dir.File("a.wav"), "-r 44100 -c 2", "6 pinknoise");
    const std::string mp3 = LameEncode(wav, m_Dir.File("a.mp3"), "-V 4");
    const Bytes clean = ReadFile(mp3);
    ASSERT_GT(clean.size(), 60000u);
    const auto middle = static_cast<std::ptrdiff_t>(clean.size() / 2);

    Bytes cut = clean;
    cut.erase(cut.begin() + middle, cut.begin() + middle + 333);
    WriteFile(m_Dir.File("cut.mp3"), cut);
    Bytes inserted = clean;
    inserted.insert(inserted.begin() + middle, 77, 0x20);
    WriteFile(m_Dir.File("inserted.mp3"), inserted);
    Bytes tail = clean;
    tail.resize(tail.size() - 150);  // a truncated last frame is not damage
    WriteFile(m_Dir.File("tail.mp3"), tail);

    CMP3CheckJob job;
    job.Setup(m_Dir.File("cut.mp3"));
    EXPECT_FALSE(job.Run(nullptr));  // not stopped
    EXPECT_FALSE(job.IsIntact());
    job.Setup(m_Dir.File("inserted.mp3"));
    EXPECT_FALSE(job.Execute());
    EXPECT_FALSE(job.IsIntact());
    EXPECT_GE(job.GetOutcome().errors, 1);
    job.Setup(m_Dir.File("tail.mp3"));
    EXPECT_FALSE(job.Run(nullptr));
    EXPECT_TRUE(job.IsIntact());
    EXPECT_GT(job.GetOutcome().framesFound, 200);
}

// Positions are 64-bit: a stream that sits at the end of a sparse file and runs across the
// 4 GiB mark is walked to its end with exact counts.
TEST(LargeFile, StreamAtTheEndOfASparseFileOverFourGiB) {
    CTempDir dir;
    const std::string path = dir.File("big.mp3");
    const off_t lead = (off_t{1} << 32) - 417 * 20 - 5;  // 20 frames before the mark, 30 after
    const Bytes frames = MakeStream(FrameShape{}, 50);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, frames.data(), frames.size(), lead),
              static_cast<ssize_t>(frames.size()));
    ::close(fd);

    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    EXPECT_TRUE(check.CheckFile(path, nullptr));
    const MP3StreamState& st = check.GetStreamState();
    EXPECT_EQ(st.errors, 0);
    EXPECT_EQ(st.goodFrames, 49);  // the first frame after leading junk is not counted
    EXPECT_EQ(st.bytesRead, lead + static_cast<off_t>(frames.size()));
    EXPECT_EQ(st.expectedPosition, st.bytesRead + 4);
    EXPECT_EQ(check.GetFramesFound(), 50);
}

}  // namespace
}  // namespace sonvara::test
