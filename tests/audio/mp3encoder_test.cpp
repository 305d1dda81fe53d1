#include "audio/mp3encoder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "audio/audiowavefile.h"
#include "audio/fileexception.h"
#include "check/mp3check.h"
#include "support/encoders.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

std::string Encode(const std::string& out, const std::vector<std::int16_t>& pcm,
                   const EncoderSettings& s, std::size_t bytesPerCall = 32768) {
    CMP3Encoder e;
    const std::string name = e.CreateOutput(out, s, pcm.size() / 2);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pcm.data());
    for (std::size_t at = 0; at < pcm.size() * 2; at += bytesPerCall) {
        e.EncodeSamples(bytes + at, std::min(bytesPerCall, pcm.size() * 2 - at));
    }
    e.Finish();
    return name;
}

class Mp3Encoder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HaveTool("lame") && HaveTool("sox"));
        m_Wav = SynthWav(m_Dir.File("in.wav"), "-r 44100 -c 2 -e signed -b 16",
                         "4.3 pinknoise synth sine amod 2 vol 0.7");
        m_Pcm = DecodeWavSamples(m_Wav);
    }
    CTempDir m_Dir;
    std::string m_Wav;
    std::vector<std::int16_t> m_Pcm;
};

// The same encoder settings as the lame command line: byte for byte the same file. The command
// line picks a lower output rate by itself for low bit rates, so it is told to keep 44100 Hz.
TEST_F(Mp3Encoder, CbrAtEveryBitRateIsByteIdenticalToTheLameCommand) {
    for (int rate : {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}) {
        EncoderSettings s;
        s.bitRate = rate;
        s.quality = 5;
        const std::string ours = Encode(m_Dir.File("ours.mp3"), m_Pcm, s);
        const std::string theirs = m_Dir.File("lame.mp3");
        ASSERT_EQ(RunCommand("lame --quiet -b " + std::to_string(rate) +
                             " -q 5 -m j --nores -t --noreplaygain --resample 44.1 " +
                             ShellQuote(m_Wav) + " " + ShellQuote(theirs))
                      .exitCode,
                  0);
        EXPECT_TRUE(ReadFile(ours) == ReadFile(theirs)) << rate << " kbit/s";
        CMP3Check check;
        check.SetOption(CMP3Check::kOptionWholeFile, true);
        EXPECT_TRUE(check.CheckFile(ours, nullptr)) << rate << " kbit/s";
    }
}

TEST_F(Mp3Encoder, FourBytesPerCallGiveTheSameFileAsOneCall) {
    EncoderSettings s;
    s.vbr = true;
    s.title = "t";
    const std::vector<std::int16_t> part(m_Pcm.begin(), m_Pcm.begin() + 44100 * 2);
    const Bytes one = ReadFile(Encode(m_Dir.File("one.mp3"), part, s, part.size() * 2));
    const Bytes small = ReadFile(Encode(m_Dir.File("small.mp3"), part, s, 4));
    const Bytes odd = ReadFile(Encode(m_Dir.File("odd.mp3"), part, s, 4606));
    EXPECT_TRUE(one == small);
    EXPECT_TRUE(one == odd);
}

TEST_F(Mp3Encoder, VbrWritesAXingHeaderAndCbrNone) {
    EncoderSettings s;
    s.vbr = true;
    const Bytes vbr = ReadFile(Encode(m_Dir.File("vbr.mp3"), m_Pcm, s));
    const std::string text(vbr.begin(), vbr.begin() + 400);
    EXPECT_NE(text.find("Xing"), std::string::npos);
    EXPECT_NE(text.find("LAME3.100"), std::string::npos);
    s.vbr = false;
    const Bytes cbr = ReadFile(Encode(m_Dir.File("cbr.mp3"), m_Pcm, s));
    const std::string head(cbr.begin(), cbr.begin() + 400);
    EXPECT_EQ(head.find("Xing"), std::string::npos);
    EXPECT_EQ(head.find("Info"), std::string::npos);

    std::int32_t lo = 0;
    std::int32_t hi = 0;
    CMP3Encoder::VbrRange(128, lo, hi);
    EXPECT_EQ(lo, 112);
    EXPECT_EQ(hi, 160);
    CMP3Encoder::VbrRange(320, lo, hi);
    EXPECT_EQ(lo, 256);
    EXPECT_EQ(hi, 320);  // 384 does not exist at 44100 Hz
    CMP3Encoder::VbrRange(32, lo, hi);
    EXPECT_EQ(lo, 32);
    EXPECT_EQ(hi, 40);
}

TEST_F(Mp3Encoder, TheLastSamplesAreEncodedNotDropped) {
    EncoderSettings s;
    const std::vector<std::int16_t> part(m_Pcm.begin(), m_Pcm.begin() + 1152 * 2 * 10 + 200);
    const std::string mp3 = Encode(m_Dir.File("tail.mp3"), part, s);
    const CommandResult r = RunCommand("mpg123 -q -s " + ShellQuote(mp3));
    ASSERT_EQ(r.exitCode, 0);
    // Without the lame header there is no gapless trimming: at least every input sample.
    EXPECT_GE(r.out.size(), part.size() * 2);
}

TEST_F(Mp3Encoder, TheVersionOneImageIsTheClassicOne) {
    EncoderSettings s;
    EXPECT_TRUE(MakeId3v1Image(s).empty());
    s.title = std::string(40, 'T');
    s.artist = "Artist";
    s.album = "Ålbum ☃";
    const std::vector<std::uint8_t> tag = MakeId3v1Image(s);
    ASSERT_EQ(tag.size(), 128u);
    EXPECT_EQ(std::string(tag.begin(), tag.begin() + 33), "TAG" + std::string(30, 'T'));
    EXPECT_EQ(std::string(tag.begin() + 33, tag.begin() + 63), "Artist" + std::string(24, ' '));
    EXPECT_EQ(std::string(tag.begin() + 63, tag.begin() + 93), "\xC5lbum ?" + std::string(23, ' '));
    EXPECT_EQ(std::string(tag.begin() + 93, tag.begin() + 127), std::string(34, ' '));
    EXPECT_EQ(tag[127], 255);  // no genre

    EncoderSettings albumOnly;
    albumOnly.album = "A";
    const std::vector<std::uint8_t> a = MakeId3v1Image(albumOnly);
    EXPECT_EQ(std::string(a.begin() + 3, a.begin() + 63), std::string(60, ' '));

    // In a file: the image is its last 128 bytes; without texts there is none.
    const std::vector<std::int16_t> part(m_Pcm.begin(), m_Pcm.begin() + 20000);
    const Bytes tagged = ReadFile(Encode(m_Dir.File("tagged.mp3"), part, s));
    EXPECT_TRUE(std::equal(tag.begin(), tag.end(), tagged.end() - 128));
    const Bytes bare = ReadFile(Encode(m_Dir.File("bare.mp3"), part, EncoderSettings{}));
    EXPECT_NE(std::string(bare.end() - 128, bare.end() - 125), "TAG");
}

TEST_F(Mp3Encoder, IllegalSettingsAndUnwritableFilesAreErrorsNotExits) {
    for (int rate : {384, 130, 8, 0, -64}) {
        EncoderSettings s;
        s.bitRate = rate;
        CMP3Encoder e;
        EXPECT_THROW(e.CreateOutput(m_Dir.File("x.mp3"), s, 0), CFileException) << rate;
    }
    EncoderSettings q;
    q.quality = 12;
    CMP3Encoder e;
    EXPECT_THROW(e.CreateOutput(m_Dir.File("x.mp3"), q, 0), CFileException);
    try {
        e.CreateOutput(m_Dir.File("no/such/folder/x.mp3"), EncoderSettings{}, 0);
        FAIL();
    } catch (const CFileException& ex) {
        EXPECT_NE(ex.m_strFileName.find("x.mp3"), std::string::npos);
    }
    EXPECT_THROW(e.EncodeSamples(m_Pcm.data(), 4), CFileException);
    EXPECT_THROW(e.Finish(), CFileException);
}

TEST_F(Mp3Encoder, SeveralEncodersAtOnceGiveTheSameFilesAsOneAtATime) {
    EncoderSettings s;
    const std::vector<std::int16_t> part(m_Pcm.begin(), m_Pcm.begin() + 44100 * 2);
    const Bytes alone = ReadFile(Encode(m_Dir.File("alone.mp3"), part, s));
    CMP3Encoder a;
    CMP3Encoder b;
    a.CreateOutput(m_Dir.File("a.mp3"), s, 0);
    b.CreateOutput(m_Dir.File("b.mp3"), s, 0);
    for (std::size_t at = 0; at < part.size(); at += 2304) {
        const std::size_t n = std::min<std::size_t>(2304, part.size() - at);
        a.EncodeSamples(part.data() + at, n * 2);
        b.EncodeSamples(part.data() + at, n * 2);
    }
    a.Finish();
    b.Finish();
    EXPECT_TRUE(ReadFile(m_Dir.File("a.mp3")) == alone);
    EXPECT_TRUE(ReadFile(m_Dir.File("b.mp3")) == alone);
}

}  // namespace
}  // namespace sonvara::test
