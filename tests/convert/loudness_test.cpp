#include "convert/loudnessscan.h"
#include "convert/normalize.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/stopsink.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

// A 1 kHz sine at `dbfs` (peak), as EBU Tech 3341 builds its test signals.
std::string SineFile(CTempDir& dir, const std::string& name, double dbfs, int channels,
                     std::uint32_t rate, double seconds) {
    const double amplitude = 32767.0 * std::pow(10.0, dbfs / 20.0);
    WriteFile(dir.File(name), MakePcmWav(Sine(static_cast<std::size_t>(seconds * rate), channels,
                                              1000, rate, amplitude),
                                         static_cast<std::uint16_t>(channels), rate));
    return dir.File(name);
}

// Integrated loudness of the reference signals at every rate the readers deliver: stereo
// sines read as their level, a mono one 3 LU lower (one channel), and the peaks as written.
TEST(LoudnessScan, ReferenceSinesReadTheirLevel) {
    CTempDir dir;
    for (const std::uint32_t rate : {22050u, 44100u, 48000u}) {
        SCOPED_TRACE(rate);
        const TrackLoudness stereo =
            MeasureTrackLoudness(SineFile(dir, "s.wav", -23.0, 2, rate, 20), nullptr);
        ASSERT_TRUE(stereo.ok) << stereo.reason;
        EXPECT_NEAR(stereo.values.integratedLufs, -23.0, 0.1);
        EXPECT_NEAR(stereo.values.samplePeak, std::pow(10.0, -23.0 / 20.0), 0.001);
        EXPECT_NEAR(stereo.values.TruePeakDbtp(), -23.0, 0.2);
        EXPECT_LT(stereo.values.rangeLu, 0.5);  // a steady tone has no loudness range

        const TrackLoudness quieter =
            MeasureTrackLoudness(SineFile(dir, "q.wav", -33.0, 2, rate, 20), nullptr);
        ASSERT_TRUE(quieter.ok) << quieter.reason;
        EXPECT_NEAR(quieter.values.integratedLufs, -33.0, 0.1);

        const TrackLoudness mono =
            MeasureTrackLoudness(SineFile(dir, "m.wav", -23.0, 1, rate, 20), nullptr);
        ASSERT_TRUE(mono.ok) << mono.reason;
        EXPECT_NEAR(mono.values.integratedLufs, -26.0, 0.1);
    }
}

// Tech 3341 case 3-5 style: loud and quiet parts in turn; the gate leaves out the quiet part
// below the relative gate, and the range spans the two levels.
TEST(LoudnessScan, GatingLeavesOutQuietParts) {
    CTempDir dir;
    std::vector<std::int16_t> pcm;
    const double loud = 32767.0 * std::pow(10.0, -20.0 / 20.0);
    const double quiet = 32767.0 * std::pow(10.0, -40.0 / 20.0);
    for (const auto& [amplitude, seconds] :
         {std::pair{loud, 10.0}, std::pair{quiet, 10.0}, std::pair{loud, 10.0}}) {
        const auto part =
            Sine(static_cast<std::size_t>(seconds * 48000), 2, 1000, 48000, amplitude);
        pcm.insert(pcm.end(), part.begin(), part.end());
    }
    WriteFile(dir.File("g.wav"), MakePcmWav(pcm, 2, 48000));
    const TrackLoudness t = MeasureTrackLoudness(dir.File("g.wav"), nullptr);
    ASSERT_TRUE(t.ok) << t.reason;
    EXPECT_NEAR(t.values.integratedLufs, -20.0, 0.1);  // -40 is below the relative gate
    EXPECT_GT(t.values.rangeLu, 15.0);
}

// Nothing to measure is said, never a number: silence, less than one gating block, a file
// the decoder cannot read; a stop request ends the measurement without values.
TEST(LoudnessScan, NoNumberWithoutAudio) {
    CTempDir dir;
    WriteFile(dir.File("silence.wav"),
              MakePcmWav(std::vector<std::int16_t>(44100 * 2 * 5, 0), 2, 44100));
    const TrackLoudness silent = MeasureTrackLoudness(dir.File("silence.wav"), nullptr);
    EXPECT_FALSE(silent.ok);
    EXPECT_EQ(silent.reason, "silent");

    const TrackLoudness shortTrack =
        MeasureTrackLoudness(SineFile(dir, "short.wav", -20, 2, 44100, 0.3), nullptr);
    EXPECT_FALSE(shortTrack.ok);
    EXPECT_EQ(shortTrack.reason.rfind("too short", 0), 0u) << shortTrack.reason;

    Bytes junk(20000);
    for (std::size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<std::uint8_t>(i * 7919 % 251);
    }
    WriteFile(dir.File("damaged.mp3"), junk);
    const TrackLoudness damaged = MeasureTrackLoudness(dir.File("damaged.mp3"), nullptr);
    EXPECT_FALSE(damaged.ok);
    EXPECT_FALSE(damaged.reason.empty());

    CStopAfter stop(0);
    const TrackLoudness stopped =
        MeasureTrackLoudness(SineFile(dir, "s.wav", -20, 2, 44100, 2), &stop);
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.stopped);
}

// Album values take all blocks of the tracks as one programme: between the tracks' own, the
// largest peak.
TEST(LoudnessScan, AlbumValuesSpanTheTracks) {
    CTempDir dir;
    const TrackLoudness a =
        MeasureTrackLoudness(SineFile(dir, "a.wav", -20.0, 2, 44100, 10), nullptr, true);
    const TrackLoudness b =
        MeasureTrackLoudness(SineFile(dir, "b.wav", -26.0, 2, 44100, 10), nullptr, true);
    ASSERT_TRUE(a.meter && b.meter);
    LoudnessValues album;
    ASSERT_EQ(CLoudnessMeter::AlbumResult({a.meter.get(), b.meter.get()}, album),
              LoudnessFailure::kNone);
    // Equal durations: the mean power of -20 and -26 LUFS.
    const double expected = 10 * std::log10((std::pow(10, -2.0) + std::pow(10, -2.6)) / 2);
    EXPECT_NEAR(album.integratedLufs, expected, 0.1);
    EXPECT_DOUBLE_EQ(album.samplePeak, a.values.samplePeak);
}

// Loudness normalisation: a quiet track reaches the target; a track whose peaks leave no room
// stops at the -1 dBTP ceiling and says so; silence is left as it was.
TEST(LoudnessNormalize, ReachesTheTargetUnderTheCeiling) {
    CTempDir dir;
    const std::string quiet = SineFile(dir, "quiet.wav", -30.0, 2, 44100, 10);
    LoudnessNormalizeResult r;
    std::string error;
    ASSERT_TRUE(NormalizeFileToLoudness(quiet, 0, -16, nullptr, {}, &error, &r)) << error;
    EXPECT_TRUE(r.measured && r.reached);
    TrackLoudness after = MeasureTrackLoudness(quiet, nullptr);
    EXPECT_NEAR(after.values.integratedLufs, -16.0, 0.1);

    // A soft tone with a full-scale click each second: its peak allows hardly any gain.
    std::vector<std::int16_t> pcm = Sine(44100 * 10, 2, 1000, 44100, 1000.0);
    for (std::size_t i = 0; i < pcm.size(); i += 44100 * 2) {
        pcm[i] = 30000;
    }
    WriteFile(dir.File("spiky.wav"), MakePcmWav(pcm));
    ASSERT_TRUE(NormalizeFileToLoudness(dir.File("spiky.wav"), 0, -14, nullptr, {}, &error, &r));
    EXPECT_TRUE(r.measured);
    EXPECT_FALSE(r.reached);
    EXPECT_LT(r.after, -14.5);
    after = MeasureTrackLoudness(dir.File("spiky.wav"), nullptr);
    EXPECT_NEAR(after.values.integratedLufs, r.after, 0.1);
    EXPECT_LE(after.values.TruePeakDbtp(), kTruePeakCeilingDbtp + 0.05);

    const Bytes silence = MakePcmWav(std::vector<std::int16_t>(44100 * 2 * 2, 0));
    WriteFile(dir.File("silence.wav"), silence);
    ASSERT_TRUE(NormalizeFileToLoudness(dir.File("silence.wav"), 0, -14, nullptr, {}, &error, &r));
    EXPECT_FALSE(r.measured);
    EXPECT_EQ(r.why, "silent");
    EXPECT_EQ(ReadFile(dir.File("silence.wav")), silence);
}

}  // namespace
}  // namespace sonvara::test
