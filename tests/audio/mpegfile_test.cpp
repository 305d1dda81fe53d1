// The read side of MP3 files against Debian's mpg123, and streams that are not MP3 at all.
#include "audio/audiompegfile.h"

#include "audio/mpegdecoder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

Bytes ReadAllPcm(CAudioMpegFile& f, std::size_t request) {
    Bytes out;
    std::vector<std::uint8_t> buf(request);
    for (;;) {
        const int n = f.Read(1, request, buf.data(), buf.size());
        if (n <= 0) {
            break;
        }
        EXPECT_LE(static_cast<std::size_t>(n), request);
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

Bytes Mpg123Pcm(const std::string& mp3) {
    const CommandResult r = RunCommand("mpg123 -q -s " + ShellQuote(mp3));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Bytes(r.out.begin(), r.out.end());
}

class MpegFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(HaveTool("lame") && HaveTool("mpg123") && HaveTool("sox"))
            << "lame, mpg123 and sox are installed by the set-up script";
    }
    std::string Encode(const std::string& name, int rate, int channels, const std::string& lame,
                       double seconds = 3.0) {
        const std::string wav = m_Dir.File(name + ".wav");
        SynthWav(wav, "-r " + std::to_string(rate) + " -c " + std::to_string(channels),
                 std::to_string(seconds) + " sine 200-2000 synth pinknoise amod 0.3");
        return LameEncode(wav, m_Dir.File(name + ".mp3"), lame);
    }
    CTempDir m_Dir;
};

TEST_F(MpegFiles, DecodedPcmEqualsMpg123ForEveryRateModeAndLayer) {
    std::vector<std::pair<std::string, std::pair<int, int>>> files;
    int index = 0;
    for (int rate : {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000}) {
        for (int channels : {1, 2}) {
            const std::string opts =
                (index % 2 == 0 ? "-b 64" : "-V 4") + std::string(channels == 1 ? " -m m" : "");
            files.push_back(
                {Encode("f" + std::to_string(index++), rate, channels, opts), {rate, channels}});
        }
    }
    if (HaveTool("twolame")) {
        const std::string wav = SynthWav(m_Dir.File("l2.wav"), "-r 48000 -c 2", "3 sine 440");
        const CommandResult r = RunCommand("twolame --quiet -b 192 " + ShellQuote(wav) + " " +
                                           ShellQuote(m_Dir.File("l2.mp3")));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        files.push_back({m_Dir.File("l2.mp3"), {48000, 2}});
    }
    for (const auto& [path, format] : files) {
        CAudioMpegFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid()) << path;
        EXPECT_EQ(f.GetSampleRate(), static_cast<std::uint32_t>(format.first)) << path;
        EXPECT_EQ(f.GetChannels(), format.second) << path;
        EXPECT_EQ(f.GetBitsPerSample(), 16);
        const Bytes ours = ReadAllPcm(f, 32768);
        const Bytes reference = Mpg123Pcm(path);
        ASSERT_EQ(ours.size(), reference.size()) << path;
        EXPECT_TRUE(ours == reference) << path;
        // The length is the decoded length, to the millisecond.
        const double ms = ours.size() / (2.0 * format.second) * 1000.0 / format.first;
        EXPECT_EQ(f.GetLength(), static_cast<std::int32_t>(ms)) << path;
        f.CloseStream();
    }
}

TEST_F(MpegFiles, CarriedBytesComeFirstAndTheStreamEndsWithTheRestThenZero) {
    const std::string path = Encode("c", 44100, 2, "-b 128");
    CAudioMpegFile whole;
    whole.SetFileName(path);
    ASSERT_TRUE(whole.IsValid());
    const Bytes reference = ReadAllPcm(whole, 32768);
    for (std::size_t request : {20000u, 40000u, 1000u, 3u}) {
        CAudioMpegFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        Bytes got;
        std::vector<std::uint8_t> buf(request);
        int last = 0;
        for (;;) {
            last = f.Read(1, request, buf.data(), buf.size());
            if (last <= 0) {
                break;
            }
            if (got.size() + request <= reference.size()) {
                ASSERT_EQ(static_cast<std::size_t>(last), request);  // exactly R until the end
            }
            got.insert(got.end(), buf.begin(), buf.begin() + last);
        }
        EXPECT_EQ(last, 0);
        EXPECT_TRUE(got == reference) << "request " << request;
    }
}

TEST_F(MpegFiles, LengthIsExactWithoutAVbrHeaderAndForACutFile) {
    const std::string noHeader = Encode("nx", 44100, 2, "-V 2 -t", 20.0);
    CAudioMpegFile f;
    f.SetFileName(noHeader);
    ASSERT_TRUE(f.IsValid());
    const Bytes pcm = Mpg123Pcm(noHeader);
    EXPECT_EQ(f.GetLength(), static_cast<std::int32_t>(pcm.size() / 4 * 1000.0 / 44100));
    f.CloseStream();

    // A VBR file cut in half still claims the whole length in its header.
    const std::string full = Encode("cut", 44100, 2, "-V 2", 20.0);
    Bytes bytes = ReadFile(full);
    bytes.resize(bytes.size() / 2);
    const std::string half = m_Dir.File("half.mp3");
    WriteFile(half, bytes);
    CAudioMpegFile h;
    h.SetFileName(half);
    ASSERT_TRUE(h.IsValid());
    const Bytes halfPcm = ReadAllPcm(h, 32768);
    const double decodedMs = halfPcm.size() / 4 * 1000.0 / 44100;
    EXPECT_NEAR(h.GetLength(), decodedMs, 30.0);  // within one frame of what is there
    EXPECT_LT(h.GetLength(), 12000);
}

TEST_F(MpegFiles, TheStatedAndCountedLengthsAreTheDecodersAndTheStatedOneOnlyFromFilesAsEncoded) {
    // Files as lame writes them: the length stated in the header is the decoder's, exactly.
    std::vector<std::string> intact;
    int index = 0;
    for (int rate : {44100, 48000, 32000, 22050, 16000, 8000}) {
        for (const char* opts : {"-b 128", "-V 2 -m m", "--abr 96 --tt Title --ta Artist"}) {
            const int channels = index % 2 + 1;
            intact.push_back(Encode("s" + std::to_string(index++), rate, channels, opts, 2.5));
        }
    }
    intact.push_back(Encode("nogap", 44100, 2, "-b 128 --nores --noreplaygain", 1.0));
    for (const std::string& path : intact) {
        const std::optional<double> stated = StatedMpegDuration(path);
        const std::unique_ptr<CMpegDecoder> decoder = CMpegDecoder::Create(path);
        ASSERT_TRUE(decoder) << path;
        ASSERT_TRUE(stated.has_value()) << path;
        EXPECT_DOUBLE_EQ(*stated, decoder->Duration()) << path;
    }

    // Everything else has its frames counted.
    const std::string good = Encode("good", 44100, 2, "-b 128 --tt Title", 4.0);
    const Bytes bytes = ReadFile(good);
    const auto variant = [&](const std::string& name, Bytes content) {
        const std::string path = m_Dir.File(name + ".mp3");
        WriteFile(path, content);
        return path;
    };
    Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    Bytes joined = bytes;
    const Bytes other = ReadFile(intact[1]);
    joined.insert(joined.end(), other.begin(), other.end());
    Bytes trailing = bytes;
    trailing.insert(trailing.end(), 300, 0x55);
    Bytes frontDamage = bytes;
    const std::size_t id3 = 10 + (bytes[6] << 21 | bytes[7] << 14 | bytes[8] << 7 | bytes[9]);
    ASSERT_EQ(bytes[0], 'I');
    frontDamage[id3 + 1] = 0x00;  // the header frame's sync broken
    for (const std::string& path :
         {Encode("noheader", 44100, 2, "-b 128 -t", 2.0), variant("cut", cut),
          variant("joined", joined), variant("trailing", trailing),
          variant("frontdamage", frontDamage), m_Dir.File("missing.mp3"), m_Dir.Path()}) {
        EXPECT_FALSE(StatedMpegDuration(path).has_value()) << path;
        // Their counted length, where it is given without a decoder, is the decoder's.
        const std::optional<double> counted = CountedMpegDuration(path);
        const std::unique_ptr<CMpegDecoder> decoder = CMpegDecoder::Create(path);
        if (counted) {
            ASSERT_TRUE(decoder) << path;
            EXPECT_DOUBLE_EQ(*counted, decoder->Duration()) << path;
        }
        // Not for a file whose header's count agrees (the decoder's length stands) and not
        // for what is no file.
        const bool counts = path.find("trailing") == std::string::npos &&
                            path.find("missing") == std::string::npos && path != m_Dir.Path();
        EXPECT_EQ(counted.has_value(), counts) << path;
    }
}

TEST_F(MpegFiles, SeekLandsWithinOneFrame) {
    const std::string path = Encode("s", 44100, 2, "-b 160", 10.0);
    const Bytes reference = Mpg123Pcm(path);
    for (int ms : {0, 2500, 7000, 1234}) {
        // A fresh object each time: bytes carried over from an earlier read would come first.
        CAudioMpegFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        f.Seek(ms);
        EXPECT_NEAR(f.GetPosition(), ms, 27) << ms;
        std::vector<std::uint8_t> buf(4096);
        ASSERT_EQ(f.Read(1, buf.size(), buf.data(), buf.size()), 4096);
        // The samples are those at that time in a plain decode. After a seek the decoder
        // starts from fresh filter state a few frames back, so the last bit may differ.
        const std::size_t at = static_cast<std::size_t>(ms) * 441 / 10 * 4;
        int worst = 0;
        for (std::size_t i = 0; i < buf.size(); i += 2) {
            const int a = static_cast<std::int16_t>(buf[i] | buf[i + 1] << 8);
            const int b = static_cast<std::int16_t>(reference[at + i] | reference[at + i + 1] << 8);
            worst = std::max(worst, std::abs(a - b));
        }
        EXPECT_LE(worst, 2) << "seek to " << ms << " ms";
    }
}

TEST_F(MpegFiles, FilesThatAreNotMpegAudioGiveNoDecoder) {
    std::mt19937 rng(7);
    Bytes random(300000);
    for (auto& b : random) {
        b = static_cast<std::uint8_t>(rng());
    }
    Bytes junkThenStray(500000, 0);
    Append(junkThenStray, MakeFrame(FrameShape{}));  // one lone frame after much junk
    Append(junkThenStray, Bytes(500000, 0));
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"wav.mp3", MakePcmWav(Sine(44100, 2, 440, 44100))},
        {"text.mp3", Bytes(5000, 'a')},
        {"random.mp3", random},
        {"empty.mp3", {}},
        {"zeros.mp3", Bytes(2000000, 0)},
        {"stray.mp3", junkThenStray},
    };
    for (const auto& [name, bytes] : cases) {
        WriteFile(m_Dir.File(name), bytes);
        CAudioMpegFile f;
        f.SetFileName(m_Dir.File(name));
        EXPECT_FALSE(f.IsValid()) << name;
        EXPECT_EQ(f.GetLength(), 0) << name;
        char buf[64];
        EXPECT_EQ(f.Read(1, 64, buf, sizeof buf), -1) << name;
    }
    std::filesystem::create_directory(m_Dir.File("folder.mp3"));
    ASSERT_EQ(::mkfifo(m_Dir.File("pipe.mp3").c_str(), 0644), 0);
    for (const char* name : {"folder.mp3", "pipe.mp3", "missing.mp3"}) {
        CAudioMpegFile f;
        f.SetFileName(m_Dir.File(name));
        EXPECT_FALSE(f.IsValid()) << name;
    }
    // A short but real stream of three frames is accepted.
    WriteFile(m_Dir.File("short.mp3"), MakeStream(FrameShape{}, 3));
    CAudioMpegFile s;
    s.SetFileName(m_Dir.File("short.mp3"));
    EXPECT_TRUE(s.IsValid());
}

TEST_F(MpegFiles, OpeningAgainReleasesTheEarlierDecoder) {
    const std::string path = Encode("o", 44100, 2, "-b 128");
    CAudioMpegFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(f.Open(0));
    }
    std::vector<std::uint8_t> buf(1000);
    EXPECT_EQ(f.Read(1, 1000, buf.data(), buf.size()), 1000);
    // Destroyed while open: the sanitizer build reports any leak.
}

}  // namespace
}  // namespace sonvara::test
