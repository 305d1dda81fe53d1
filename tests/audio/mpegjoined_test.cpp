// MPEG streams joined from several encodings, so that the channel mode or the sample rate
// changes part-way: the decoder delivers one format for the whole stream.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/audiompegfile.h"
#include "support/encoders.h"
#include "support/joinedstreams.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

Samples ReadAll(CAudioFile& f, std::size_t request) {
    Bytes out;
    std::vector<std::uint8_t> buf(request);
    for (;;) {
        const int n = f.Read(1, request, buf.data(), buf.size());
        EXPECT_GE(n, 0) << f.UnreadableReason();
        if (n <= 0) {
            break;
        }
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    Samples s(out.size() / 2);
    std::memcpy(s.data(), out.data(), s.size() * 2);
    return s;
}

// Root mean square of a - b over [from, to) stereo frames, relative to that of b.
double RelativeError(const Samples& a, const Samples& b, std::size_t from, std::size_t to) {
    double diff = 0.0;
    double power = 0.0;
    for (std::size_t i = from * 2; i < to * 2; ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        diff += d * d;
        power += static_cast<double>(b[i]) * b[i];
    }
    return power > 0.0 ? std::sqrt(diff / power) : 1.0;
}

using JoinedStreams = CJoinedStreamTest;

TEST_F(JoinedStreams, ChannelModeChangesDecodeToTwoChannelsLikeMpg123) {
    const Bytes mono = Part("m", 44100, 1, "1.2 sine 300", "-b 64 -m m");
    const Bytes stereo = Part("s", 44100, 2, "2 sine 200-2000 synth pinknoise amod 0.3", "-b 128");
    const Bytes monoEnd = Part("e", 44100, 1, "0.7 sine 1000", "-V 4 -m m");
    for (const std::string& path :
         {Join("msm.mp3", {mono, stereo, monoEnd}), Join("sm.mp3", {stereo, mono})}) {
        const Samples reference = Mpg123(path, "--stereo");
        for (std::size_t request : {32768u, 20000u}) {
            CAudioMpegFile f;
            f.SetFileName(path);
            ASSERT_TRUE(f.IsValid()) << path;
            EXPECT_EQ(f.GetChannels(), 2) << path;
            EXPECT_EQ(f.GetSampleRate(), 44100u) << path;
            const Samples ours = ReadAll(f, request);
            ASSERT_EQ(ours.size(), reference.size()) << path;
            EXPECT_TRUE(ours == reference) << path;
            const auto frames = static_cast<double>(ours.size() / 2);
            EXPECT_EQ(f.GetLength(), static_cast<std::int32_t>(frames * 1000.0 / 44100)) << path;
        }
    }
    // The mono start comes as two equal channels of the tone.
    CAudioMpegFile f;
    f.SetFileName(m_Dir.File("msm.mp3"));
    ASSERT_TRUE(f.IsValid());
    const Samples ours = ReadAll(f, 32768);
    int peak = 0;
    for (std::size_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(ours[2 * i], ours[2 * i + 1]) << "frame " << i;
        peak = std::max(peak, std::abs(static_cast<int>(ours[2 * i])));
    }
    EXPECT_GT(peak, 10000);
}

TEST_F(JoinedStreams, SeekLandsInEachPartOfAModeChange) {
    const Bytes mono = Part("m", 44100, 1, "1.5 sine 300", "-b 64 -m m");
    const Bytes stereo = Part("s", 44100, 2, "2 sine 200-2000 synth pinknoise amod 0.3", "-b 128");
    const std::string path = Join("msm.mp3", {mono, stereo, mono});
    const Samples reference = Mpg123(path, "--stereo");
    for (int ms : {700, 2500, 4200, 1600}) {
        CAudioMpegFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        f.Seek(ms);
        EXPECT_NEAR(f.GetPosition(), ms, 27) << ms;
        std::vector<std::uint8_t> buf(8192);
        ASSERT_EQ(f.Read(1, buf.size(), buf.data(), buf.size()), 8192);
        const std::size_t at = static_cast<std::size_t>(ms) * 441 / 10 * 2;
        int worst = 0;
        for (std::size_t i = 0; i < buf.size() / 2; ++i) {
            const int a = static_cast<std::int16_t>(buf[2 * i] | buf[2 * i + 1] << 8);
            worst = std::max(worst, std::abs(a - reference[at + i]));
        }
        EXPECT_LE(worst, 2) << "seek to " << ms << " ms";
    }
}

TEST_F(JoinedStreams, RateChangeKeepsTheFirstRateAndConvertsTheRest) {
    const Bytes first = Part("a", 44100, 2, "2 sine 200-2000 synth pinknoise amod 0.3", "-b 128");
    const Bytes second = Part("b", 48000, 2, "1.5 sine 300", "-b 128");
    const std::string path = Join("rate.mp3", {first, second});
    // libmpg123's own converter as the independent reference: the same decode at the first
    // rate, the second part brought to it by dropping and repeating samples.
    const Samples reference = Mpg123(path, "--stereo -r 44100 --resample NtoM");
    const std::size_t firstFrames = Mpg123(m_Dir.File("a.mp3"), "").size() / 2;

    CAudioMpegFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    EXPECT_EQ(f.GetSampleRate(), 44100u);
    EXPECT_EQ(f.GetChannels(), 2);
    const Samples ours = ReadAll(f, 32768);
    const std::size_t frames = ours.size() / 2;
    // The frame count: the first part as it is, the second at 44100/48000 of its own.
    EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(reference.size() / 2), 4.0);
    EXPECT_NEAR(f.GetLength(), frames * 1000.0 / 44100, 1.0);
    // The first part is not converted: sample for sample.
    ASSERT_GT(ours.size(), firstFrames * 2);
    EXPECT_TRUE(std::equal(ours.begin(),
                           ours.begin() + static_cast<std::ptrdiff_t>(firstFrames * 2),
                           reference.begin()));
    // The second part is the tone at its own pitch (a part left at 48000 Hz would drift away
    // from the reference within a few periods).
    const std::size_t from = frames - 44100;
    const std::size_t to = frames - 4410;
    // (libmpg123's converter lags or leads by up to a sample.)
    double best = 1.0;
    for (std::size_t lag = 0; lag <= 4; ++lag) {
        const Samples shifted(ours.begin() + static_cast<std::ptrdiff_t>(lag * 2), ours.end());
        const Samples target(reference.begin() + 4, reference.end());
        best = std::min(best, RelativeError(shifted, target, from - 2, to - 2));
    }
    EXPECT_LT(best, 0.03);
    // Back at the first rate, the third part is not converted again: the same samples as
    // the reference's, up to the end.
    const std::string back = Join("back.mp3", {first, second, first});
    const Samples backReference = Mpg123(back, "--stereo -r 44100 --resample NtoM");
    CAudioMpegFile b;
    b.SetFileName(back);
    ASSERT_TRUE(b.IsValid());
    const Samples backOurs = ReadAll(b, 32768);
    EXPECT_NEAR(static_cast<double>(backOurs.size() / 2),
                static_cast<double>(backReference.size() / 2), 4.0);
    EXPECT_NEAR(b.GetLength(), backOurs.size() / 2 * 1000.0 / 44100, 1.0);
    ASSERT_GT(backOurs.size(), firstFrames * 2);
    EXPECT_TRUE(std::equal(backOurs.end() - static_cast<std::ptrdiff_t>(firstFrames * 2),
                           backOurs.end(),
                           backReference.end() - static_cast<std::ptrdiff_t>(firstFrames * 2)));
    // Seeks into each part land on the same samples as the plain decode.
    struct SeekCase {
        const std::string& path;
        const Samples& plain;
        int ms;
    };
    for (const SeekCase& c :
         {SeekCase{path, ours, 1000}, SeekCase{path, ours, 3000}, SeekCase{back, backOurs, 5000}}) {
        const int ms = c.ms;
        CAudioMpegFile s;
        s.SetFileName(c.path);
        ASSERT_TRUE(s.IsValid());
        s.Seek(ms);
        EXPECT_NEAR(s.GetPosition(), ms, 27) << ms;
        std::vector<std::uint8_t> buf(16384);
        ASSERT_EQ(s.Read(1, buf.size(), buf.data(), buf.size()), 16384);
        Samples got(buf.size() / 2);
        std::memcpy(got.data(), buf.data(), buf.size());
        const std::size_t at = static_cast<std::size_t>(ms) * 441 / 10;
        // Past the first samples, where a converter starting afresh has no history; the
        // decoder itself may differ in the last bit after a seek.
        int worst = 0;
        for (std::size_t i = 64 * 2; i < got.size(); ++i) {
            worst = std::max(worst, std::abs(got[i] - c.plain[at * 2 + i]));
        }
        EXPECT_LE(worst, 2) << "seek to " << ms;
    }
}

TEST_F(JoinedStreams, AStrayHeaderOfAnotherRateIsNotAPart) {
    const Bytes stream = Part("a", 44100, 2, "2 sine 200-2000 synth pinknoise amod 0.3", "-b 128");
    CAudioMpegFile clean;
    clean.SetFileName(m_Dir.File("a.mp3"));
    ASSERT_TRUE(clean.IsValid());
    const std::size_t cleanFrames = ReadAll(clean, 32768).size() / 2;
    FrameShape stray;
    stray.sampleRateIndex = 1;  // 48000 Hz
    stray.mode = 3;
    // Before the stream (after some junk), and inside it between two frames.
    Bytes before(3000, 0);
    Append(before, MakeFrame(stray));
    Append(before, Bytes(500, 0));
    Append(before, stream);
    Bytes inside(stream.begin(), stream.begin() + 417 * 40);
    Append(inside, MakeFrame(stray));
    inside.insert(inside.end(), stream.begin() + 417 * 40, stream.end());
    for (const std::string& path : {Join("before.mp3", {before}), Join("inside.mp3", {inside})}) {
        CAudioMpegFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid()) << path;
        EXPECT_EQ(f.GetSampleRate(), 44100u) << path;
        EXPECT_EQ(f.GetChannels(), 2) << path;
        const std::size_t frames = ReadAll(f, 32768).size() / 2;
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(cleanFrames), 1152.0 * 2)
            << path;
        EXPECT_NEAR(f.GetLength(), frames * 1000.0 / 44100, 30.0) << path;
    }
}

}  // namespace
}  // namespace sonvara::test
