// What the frame walk reports beside its verdict: each kind of finding at its offset, frame
// and time, with a severity that agrees with the verdict.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "audio/mpegheader.h"
#include "check/mp3check.h"
#include "runs/analysisrun.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

struct Checked {
    bool intact = false;
    std::vector<Finding> findings;
    std::int64_t frames = 0;
    std::int64_t lengthMs = 0;
};

Checked CheckPath(const std::string& path) {
    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    Checked c;
    c.intact = check.CheckFile(path, nullptr);
    c.findings = check.GetFindings();
    c.frames = check.GetAudioFrames();
    c.lengthMs = check.GetLengthMs();
    // Every counted error lies in an error finding, and only errors make a file corrupt.
    const bool anyError = std::any_of(c.findings.begin(), c.findings.end(), [](const Finding& f) {
        return f.severity == FindingSeverity::kError;
    });
    EXPECT_EQ(anyError, !c.intact) << path;
    return c;
}

Checked CheckBytes(const Bytes& bytes) {
    CTempDir dir;
    WriteFile(dir.File("t.mp3"), bytes);
    return CheckPath(dir.File("t.mp3"));
}

// The one finding of a file, which must be of the given kind.
Finding Only(const Checked& c, FindingKind kind) {
    EXPECT_EQ(c.findings.size(), 1u);
    if (c.findings.empty()) {
        return {};
    }
    EXPECT_STREQ(FindingKindName(c.findings[0].kind), FindingKindName(kind));
    return c.findings[0];
}

const FrameShape kShape;  // MPEG-1 Layer III 128 kbit/s 44100 Hz: 417 bytes
constexpr std::int64_t kLen = 417;
constexpr std::int64_t kFiveFramesMs = 131;  // 5 x 1152 samples at 44100 Hz

TEST(Findings, DamageBetweenFramesIsAnErrorAtTheFrameWhereItStarts) {
    Bytes lost = MakeStream(kShape, 5);
    lost.insert(lost.end(), 37, 0x20);
    Append(lost, MakeStream(kShape, 5));
    Finding f = Only(CheckBytes(lost), FindingKind::kLostSync);
    EXPECT_EQ(f.severity, FindingSeverity::kError);
    EXPECT_EQ(f.offset, 5 * kLen);
    EXPECT_EQ(f.frame, 5);
    EXPECT_EQ(f.timeMs, kFiveFramesMs);
    EXPECT_EQ(f.bytes, 37);

    Bytes invalid = MakeStream(kShape, 10);
    invalid[5 * kLen + 2] |= 0xF0;  // bit-rate index 15: forbidden
    const Checked c = CheckBytes(invalid);
    ASSERT_FALSE(c.findings.empty());
    EXPECT_EQ(c.findings[0].kind, FindingKind::kInvalidHeader);
    EXPECT_EQ(c.findings[0].offset, 5 * kLen);
    EXPECT_NE(c.findings[0].text.find("forbidden bit rate"), std::string::npos);

    Bytes tag = MakeStream(kShape, 5);
    Append(tag, MakeId3v2Tag(50));
    Append(tag, MakeStream(kShape, 5));
    f = Only(CheckBytes(tag), FindingKind::kTagInAudio);
    EXPECT_EQ(f.offset, 5 * kLen);
    EXPECT_EQ(f.bytes, 60);
    EXPECT_EQ(f.severity, FindingSeverity::kError);
}

TEST(Findings, OddButPlayableFilesGetWarningsAndStayOk) {
    Bytes junk(100, 0x20);
    Append(junk, MakeStream(kShape, 10));
    Checked c = CheckBytes(junk);
    EXPECT_TRUE(c.intact);
    Finding f = Only(c, FindingKind::kJunkBeforeFirstFrame);
    EXPECT_EQ(f.offset, 0);
    EXPECT_EQ(f.bytes, 100);
    EXPECT_EQ(f.severity, FindingSeverity::kWarning);

    Bytes cut = MakeStream(kShape, 10);
    cut.resize(cut.size() - 100);
    f = Only(CheckBytes(cut), FindingKind::kTruncatedFrame);
    EXPECT_EQ(f.offset, 9 * kLen);
    EXPECT_EQ(f.frame, 9);
    EXPECT_EQ(f.bytes, kLen - 100);

    FrameShape mono = kShape;
    mono.version = MpegVersion::k2;
    mono.mode = 3;
    Bytes joined = MakeStream(kShape, 5);
    Append(joined, MakeStream(mono, 5));
    f = Only(CheckBytes(joined), FindingKind::kFormatChange);
    EXPECT_EQ(f.offset, 5 * kLen);
    EXPECT_EQ(f.text, "MPEG-1 Layer III 44100 Hz stereo, then MPEG-2 Layer III 22050 Hz mono");

    Bytes text = MakeStream(kShape, 10);
    const char words[] = "lyrics follow";
    text.insert(text.end(), words, words + std::strlen(words));
    f = Only(CheckBytes(text), FindingKind::kTrailingData);
    EXPECT_EQ(f.offset, 10 * kLen);
    EXPECT_EQ(f.bytes, static_cast<std::int64_t>(std::strlen(words)));

    Bytes v1 = MakeStream(kShape, 10);  // an ID3v1 tag at the end is no finding
    Bytes tagV1(128, 0x20);
    std::memcpy(tagV1.data(), "TAG", 3);
    Append(v1, tagV1);
    c = CheckBytes(v1);
    EXPECT_TRUE(c.findings.empty());
    EXPECT_EQ(c.frames, 10);

    Bytes past = MakeId3v2Tag(5000);
    past.resize(2000);
    Append(past, MakeStream(kShape, 2));
    c = CheckBytes(past);
    ASSERT_FALSE(c.findings.empty());
    EXPECT_EQ(c.findings[0].kind, FindingKind::kId3v2PastEnd);
    EXPECT_EQ(c.findings[0].bytes, 5010);
}

class EncodedFindings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Dir = new CTempDir;
        const std::string wav = SynthWav(s_Dir->File("a.wav"), "-r 44100 -c 2", "8 pinknoise");
        LameEncode(wav, s_Dir->File("vbr.mp3"), "-V 4");
        LameEncode(wav, s_Dir->File("crc.mp3"), "-b 160 -p");
    }
    static void TearDownTestSuite() { delete s_Dir; }
    static CTempDir* s_Dir;
};
CTempDir* EncodedFindings::s_Dir = nullptr;

TEST_F(EncodedFindings, EncoderOutputHasNoFindingsAndItsLength) {
    for (const char* name : {"vbr.mp3", "crc.mp3"}) {
        const Checked c = CheckPath(s_Dir->File(name));
        EXPECT_TRUE(c.findings.empty()) << name << ": " << c.findings[0].text;
        // 8 s of audio plus the encoder's delay and padding: less than four frames more.
        EXPECT_GE(c.lengthMs, 8000) << name;
        EXPECT_LT(c.lengthMs, 8000 + 105) << name;
    }
}

TEST_F(EncodedFindings, AWrongXingCountAndABadCrcAreWarnings) {
    Bytes vbr = ReadFile(s_Dir->File("vbr.mp3"));
    const auto xing = std::search(vbr.begin(), vbr.end(), "Xing", "Xing" + 4) - vbr.begin();
    ASSERT_LT(xing, 200);
    vbr[static_cast<std::size_t>(xing) + 11] ^= 0x10;  // the frame count's low byte
    WriteFile(s_Dir->File("xing.mp3"), vbr);
    Checked c = CheckPath(s_Dir->File("xing.mp3"));
    Finding f = Only(c, FindingKind::kVbrHeaderMismatch);
    EXPECT_EQ(f.offset, 0);
    EXPECT_EQ(f.severity, FindingSeverity::kWarning);

    Bytes crc = ReadFile(s_Dir->File("crc.mp3"));
    // Frame 20 of the constant 160 kbit/s stream (522 bytes, some padded): find its header.
    std::size_t at = 0;
    for (int frame = 0; frame < 20; ++frame) {
        MP3FrameHeader h;
        ASSERT_TRUE(DecodeMpegHeader(static_cast<std::uint32_t>(crc[at]) << 24 | crc[at + 1] << 16 |
                                         crc[at + 2] << 8 | crc[at + 3],
                                     h));
        at += static_cast<std::size_t>(h.frameLength);
    }
    crc[at + 8] ^= 0x04;  // a bit of the side information
    WriteFile(s_Dir->File("crcbad.mp3"), crc);
    c = CheckPath(s_Dir->File("crcbad.mp3"));
    f = Only(c, FindingKind::kCrcMismatch);
    EXPECT_EQ(f.offset, static_cast<std::int64_t>(at));
    EXPECT_EQ(f.frame, 20);
    EXPECT_TRUE(c.intact);
}

// Full decoding finds what the walk cannot: a stream cut at a frame boundary walks clean, but
// its first frame's main data lies in the frames that were cut away.
TEST_F(EncodedFindings, DecodingFindsMainDataBeforeTheStreamStartInAFileThatWalksClean) {
    for (const char* name : {"vbr.mp3", "crc.mp3"}) {
        const CheckVerdict v = CheckMp3File(s_Dir->File(name), nullptr, true);
        EXPECT_EQ(v.kind, CheckVerdict::kOk) << name;
        EXPECT_TRUE(v.findings.empty()) << name << ": " << v.findings[0].text;
    }
    const Bytes vbr = ReadFile(s_Dir->File("vbr.mp3"));
    std::size_t at = 0;
    for (int frame = 0; frame < 10; ++frame) {
        MP3FrameHeader h;
        ASSERT_TRUE(DecodeMpegHeader(static_cast<std::uint32_t>(vbr[at]) << 24 | vbr[at + 1] << 16 |
                                         vbr[at + 2] << 8 | vbr[at + 3],
                                     h));
        at += static_cast<std::size_t>(h.frameLength);
    }
    WriteFile(s_Dir->File("headless.mp3"),
              Bytes(vbr.begin() + static_cast<std::ptrdiff_t>(at), vbr.end()));
    EXPECT_EQ(CheckMp3File(s_Dir->File("headless.mp3"), nullptr).kind, CheckVerdict::kOk);
    const CheckVerdict v = CheckMp3File(s_Dir->File("headless.mp3"), nullptr, true);
    EXPECT_EQ(v.kind, CheckVerdict::kCorrupt);
    ASSERT_FALSE(v.findings.empty());
    EXPECT_EQ(v.findings[0].kind, FindingKind::kDecodeError);
    EXPECT_EQ(v.findings[0].offset, 0);
    EXPECT_EQ(v.findings[0].severity, FindingSeverity::kError);
    EXPECT_NE(v.findings[0].text.find("audio data damaged at 0:00.000: its main data begins"),
              std::string::npos)
        << v.findings[0].text;
}

}  // namespace
}  // namespace sonvara::test
