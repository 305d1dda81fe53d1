// The repair of damaged MP3 files: each kind of damage built from encoder output, each
// repaired copy checked by our walk, mp3val, ffmpeg and libmpg123, frame for frame.
#include "check/mp3repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "audio/mpegheader.h"
#include "check/mp3check.h"
#include "support/encoders.h"
#include "support/mpgframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

class Repair : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Dir = new CTempDir;
        const std::string wav = SynthWav(s_Dir->File("a.wav"), "-r 44100 -c 2", "10 pinknoise");
        const std::string low = SynthWav(s_Dir->File("m.wav"), "-r 22050 -c 1", "3 sine 440");
        LameEncode(wav, s_Dir->File("vbr.mp3"),
                   "-V 4 --add-id3v2 --pad-id3v2-size 300 --tt Title --ta Artist");
        LameEncode(wav, s_Dir->File("cbr.mp3"), "-b 128");
        LameEncode(low, s_Dir->File("mono.mp3"), "-b 32");
    }
    static void TearDownTestSuite() { delete s_Dir; }

    // Repairs the bytes and holds the copy to every check; returns the plan. intact is the
    // encoder's file the damage was done to.
    RepairPlan Check(const std::string& name, const Bytes& damaged, const std::string& intact) {
        SCOPED_TRACE(name);
        const std::string before = s_Dir->File(name + ".mp3");
        const std::string after = s_Dir->File(name + "-repaired.mp3");
        WriteFile(before, damaged);
        RepairPlan plan = PlanMp3Repair(damaged);
        EXPECT_EQ(plan.status, RepairPlan::kRepaired) << plan.reason;
        if (plan.status != RepairPlan::kRepaired) {
            return plan;
        }
        WriteFile(after, plan.output);

        CMP3Check check;
        check.SetOption(CMP3Check::kOptionWholeFile, true);
        EXPECT_TRUE(check.CheckFile(after, nullptr));
        for (const Finding& f : check.GetFindings()) {
            ADD_FAILURE() << FindingKindName(f.kind) << " at " << f.offset << ": " << f.text;
        }
        const CommandResult mp3val = RunCommand("mp3val " + ShellQuote(after));
        for (std::size_t at = mp3val.out.find("WARNING"); at != std::string::npos;
             at = mp3val.out.find("WARNING", at + 1)) {
            const std::string line = mp3val.out.substr(at, mp3val.out.find('\n', at) - at);
            EXPECT_NE(line.find("No supported tags"), std::string::npos) << line;
        }
        EXPECT_EQ(mp3val.out.find("ERROR"), std::string::npos) << mp3val.out;
        const CommandResult ffmpeg =
            RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(after) + " -f null - 2>&1");
        EXPECT_EQ(ffmpeg.exitCode, 0);
        EXPECT_EQ(ffmpeg.out, "");

        // The decoded length is that of the kept frames, and each kept frame whose four
        // predecessors were kept with it decodes to the samples it gave in the intact file
        // (found by its bytes). The damaged file itself is no measure: after a resync
        // libmpg123 mutes or misreads frames for a while.
        const DecodedFile fixed = DecodeFrames(after);
        const DecodedFile original = DecodeFrames(intact);
        const Bytes intactBytes = ReadFile(intact);
        EXPECT_EQ(fixed.errors, 0);
        EXPECT_EQ(fixed.samples, static_cast<std::int64_t>(plan.frames.size()) * 1152);
        std::map<Bytes, const std::vector<std::int16_t>*> pcmOf;
        for (std::size_t i = 0; i + 1 < original.frames.size(); ++i) {
            pcmOf[Bytes(intactBytes.begin() + original.frames[i].offset,
                        intactBytes.begin() + original.frames[i + 1].offset)] =
                &original.frames[i].pcm;
        }
        std::map<std::int64_t, const std::vector<std::int16_t>*> fixedAt;
        for (const DecodedFrame& f : fixed.frames) {
            fixedAt[f.offset] = &f.pcm;
        }
        std::size_t compared = 0;
        for (std::size_t k = 4; k < plan.frames.size(); ++k) {
            bool run = true;
            for (std::size_t j = k - 4; j < k; ++j) {
                run = run && plan.frames[j].from + plan.frames[j].length == plan.frames[j + 1].from;
            }
            const KeptFrame& f = plan.frames[k];
            const auto was =
                pcmOf.find(Bytes(damaged.begin() + f.from, damaged.begin() + f.from + f.length));
            const auto is = fixedAt.find(f.to);
            if (run && was != pcmOf.end() && is != fixedAt.end()) {
                ++compared;
                EXPECT_TRUE(*was->second == *is->second) << "frame " << k;
            }
        }
        EXPECT_GT(compared, plan.frames.size() * 8 / 10);

        EXPECT_EQ(PlanMp3Repair(plan.output).status, RepairPlan::kUnchanged);
        return plan;
    }

    static CTempDir* s_Dir;
};
CTempDir* Repair::s_Dir = nullptr;

TEST_F(Repair, EveryKindOfDamageGivesACleanCopyThatKeepsTheIntactFramesAndTags) {
    const Bytes vbr = ReadFile(s_Dir->File("vbr.mp3"));
    const std::size_t tag = 10 + 300;  // lame pads the ID3v2 tag to this size
    ASSERT_GT(vbr.size(), 100000u);
    const std::size_t mid = vbr.size() / 2;
    std::mt19937 random(7);

    Bytes zeroed = vbr;
    std::fill(zeroed.begin() + mid, zeroed.begin() + mid + 3000, 0);
    Bytes cut = vbr;
    cut.erase(cut.begin() + mid, cut.begin() + mid + 5000);
    Bytes junk = vbr;
    Bytes noise(777);
    for (auto& b : noise) {
        b = static_cast<std::uint8_t>(random());
    }
    junk.insert(junk.begin() + mid, noise.begin(), noise.end());
    Bytes sync = vbr;  // a flipped sync bit in a header near the middle
    // The first frame header at or after the middle, found by walking the frames.
    std::size_t at = 10 + (vbr[6] << 21 | vbr[7] << 14 | vbr[8] << 7 | vbr[9]);  // past the tag
    for (MP3FrameHeader h;
         at < mid && at + 4 < sync.size() &&
         DecodeMpegHeader(static_cast<std::uint32_t>(sync[at]) << 24 | sync[at + 1] << 16 |
                              sync[at + 2] << 8 | sync[at + 3],
                          h) &&
         h.frameLength > 0;) {
        at += static_cast<std::size_t>(h.frameLength);
    }
    ASSERT_GE(at, mid);
    const auto header = sync.begin() + static_cast<std::ptrdiff_t>(at);
    ASSERT_NE(header, sync.end() - 1);
    *(header + 1) &= 0xEF;
    Bytes xing = vbr;
    const auto x = std::search(xing.begin(), xing.end(), "Xing", "Xing" + 4) - xing.begin();
    xing[static_cast<std::size_t>(x) + 11] ^= 0x21;
    Bytes truncated(vbr.begin(), vbr.end() - 1000);

    for (const auto& [name, damaged] : {std::pair<const char*, const Bytes&>{"zeroed", zeroed},
                                        {"cut", cut},
                                        {"junk", junk},
                                        {"sync", sync},
                                        {"xing", xing},
                                        {"truncated", truncated}}) {
        const RepairPlan plan = Check(name, damaged, s_Dir->File("vbr.mp3"));
        ASSERT_FALSE(plan.output.empty()) << name;
        EXPECT_TRUE(std::equal(vbr.begin(), vbr.begin() + tag, plan.output.begin())) << name;
        EXPECT_TRUE(plan.headerWritten) << name;
        if (std::string(name) != "truncated") {  // the ID3v1 tag at the end is kept
            EXPECT_TRUE(std::equal(vbr.end() - 128, vbr.end(), plan.output.end() - 128)) << name;
        }
    }

    // Two encodings joined: the stream keeps the frames of its own format.
    Bytes joined = ReadFile(s_Dir->File("cbr.mp3"));
    Append(joined, ReadFile(s_Dir->File("mono.mp3")));
    const RepairPlan plan = Check("joined", joined, s_Dir->File("cbr.mp3"));
    EXPECT_GT(plan.droppedFrames, 50);
    EXPECT_NE(plan.done.find("frames of another format"), std::string::npos) << plan.done;
}

TEST_F(Repair, IntactFilesAreLeftAloneAndFilesWithoutAStreamAreRefused) {
    for (const char* name : {"vbr.mp3", "cbr.mp3", "mono.mp3"}) {
        EXPECT_EQ(PlanMp3Repair(ReadFile(s_Dir->File(name))).status, RepairPlan::kUnchanged)
            << name;
    }
    std::mt19937 random(3);
    Bytes noise(50000);
    for (auto& b : noise) {
        b = static_cast<std::uint8_t>(random());
    }
    const std::string text = "These are my notes, not music.\n";
    const struct {
        Bytes bytes;
        const char* reason;
    } refused[] = {
        {noise, "no MPEG audio stream found"},
        {ReadFile(s_Dir->File("a.wav")), "a RIFF (WAV) file, not an MPEG audio stream"},
        {Bytes(text.begin(), text.end()), "no MPEG audio stream found"},
        {{}, "empty file"},
    };
    for (const auto& r : refused) {
        const RepairPlan plan = PlanMp3Repair(r.bytes);
        EXPECT_EQ(plan.status, RepairPlan::kRefused);
        EXPECT_EQ(plan.reason, r.reason);
    }
}

}  // namespace
}  // namespace sonvara::test
