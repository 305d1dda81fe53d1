#include "convert/normalize.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "audio/audiowavefile.h"
#include "audio/disctrack.h"
#include "convert/normalizejob.h"
#include "convert/peakscanjob.h"
#include "jobs/progresssink.h"
#include "support/childprocess.h"
#include "support/stopsink.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

std::int16_t GainForPeak(std::int16_t peak, CTempDir& dir, double rest = 1000) {
    std::vector<std::int16_t> pcm = Sine(44100, 2, 100, 44100, rest);
    pcm[777] = peak;
    WriteFile(dir.File("p.wav"), MakePcmWav(pcm));
    CDiscAudioTrack track;
    track.SetFile(dir.File("p.wav"));
    CPeakScanJob scan;
    scan.Setup(&track, nullptr);
    scan.Execute();
    scan.Close();
    return scan.GetGain();
}

bool NoTempLeft(const CTempDir& dir) {
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = e.path().filename().string();
        if (name[0] == '~' || name.find(".tmp") != std::string::npos) {
            return false;
        }
    }
    return true;
}

TEST(Normalize, GainsFromPeaksAndTheSamplesTheyGive) {
    CTempDir dir;
    EXPECT_EQ(GainForPeak(16384, dir), 190);
    EXPECT_EQ(GainForPeak(20000, dir), 155);
    EXPECT_EQ(GainForPeak(32767, dir), 100);
    EXPECT_EQ(GainForPeak(-32768, dir), 100);
    EXPECT_EQ(GainForPeak(31129, dir), 100);  // 3112960 / 31129 = 100.0003
    // Very quiet files: the gain is bounded to what its 16-bit field holds.
    EXPECT_EQ(GainForPeak(50, dir, 0), 32767);
    EXPECT_EQ(GainForPeak(95, dir, 0), 32767);
    EXPECT_EQ(GainForPeak(96, dir, 0), 32426);
    const std::vector<std::int16_t> t190 = CNormalizeJob::MakeGainTable(190);
    EXPECT_EQ(t190[16384 + 32768], 31129);
    EXPECT_EQ(t190[-16384 + 32768], -31129);
    EXPECT_EQ(t190[32767 + 32768], 32767);  // clipped
    EXPECT_EQ(t190[0], -32768);
    const std::vector<std::int16_t> t155 = CNormalizeJob::MakeGainTable(155);
    EXPECT_EQ(t155[-101 + 32768], -156);  // -156.55 truncates toward zero
    EXPECT_EQ(t155[101 + 32768], 156);
}

TEST(Normalize, AQuietFileIsBroughtToTheTargetPeakAndReplacedInOneStep) {
    CTempDir dir;
    std::vector<std::int16_t> pcm = Sine(44100 * 3, 2, 440, 44100, 15000);
    pcm[12345] = -20000;
    const std::string path = dir.File("song.wav");
    WriteFile(path, MakePcmWav(pcm));
    {
        CAudioWaveFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        f.SetTitle("Kept");
        f.SaveTags();
    }
    std::vector<std::string> stages;
    std::string error;
    CStopAfter sink;
    EXPECT_TRUE(NormalizeFile(
        path, 0, &sink, [&](const std::string& s) { stages.push_back(s); }, &error))
        << error;
    EXPECT_EQ(stages, (std::vector<std::string>{"Normalizing", ""}));
    const std::vector<std::int16_t> out = DecodeWavSamples(path);
    ASSERT_EQ(out.size(), pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        ASSERT_EQ(out[i], static_cast<std::int16_t>(pcm[i] * 155 / 100)) << i;
    }
    EXPECT_EQ(out[12345], -31000);
    CAudioWaveFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    EXPECT_EQ(f.GetTitle(), "Kept");
    EXPECT_TRUE(NoTempLeft(dir));

    // IMA ADPCM output: re-encoded, readable, louder.
    const std::string ima = dir.File("ima.wav");
    WriteFile(ima, MakePcmWav(pcm));
    EXPECT_TRUE(NormalizeFile(ima, 1, nullptr, nullptr, &error)) << error;
    CAudioWaveFile imaFile;
    imaFile.SetFileName(ima);
    ASSERT_TRUE(imaFile.IsValid());
    EXPECT_EQ(imaFile.GetFormat()->formatTag, 0x11);
    const std::vector<std::int16_t> imaOut = DecodeWavSamples(ima);
    int peak = 0;
    for (std::int16_t s : imaOut) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(peak, 22000);  // from 15000 (the lone spike is smoothed by the encoding)
}

TEST(Normalize, SilentFilesAndFilesInTheWayAreLeftAlone) {
    CTempDir dir;
    const std::string silent = dir.File("silent.wav");
    WriteFile(silent, MakePcmWav(std::vector<std::int16_t>(44100 * 2, 0)));
    const Bytes before = ReadFile(silent);
    std::string error;
    EXPECT_TRUE(NormalizeFile(silent, 0, nullptr, nullptr, &error)) << error;
    EXPECT_EQ(ReadFile(silent), before);
    EXPECT_TRUE(NoTempLeft(dir));

    const std::string song = dir.File("x.wav");
    WriteFile(song, MakePcmWav(Sine(44100, 2, 440, 44100, 1000)));
    // A file of the user's under the name older versions used for their temporary file is
    // neither in the way nor touched.
    WriteFile(dir.File("~x.wav"), {'m', 'i', 'n', 'e'});
    EXPECT_TRUE(NormalizeFile(song, 0, nullptr, nullptr, &error)) << error;
    EXPECT_EQ(ReadFile(dir.File("~x.wav")), (Bytes{'m', 'i', 'n', 'e'}));
    std::filesystem::remove(dir.File("~x.wav"));
    EXPECT_TRUE(NoTempLeft(dir));
}

TEST(Normalize, AStopInEitherPassLeavesTheFileAsItWas) {
    CTempDir dir;
    const std::string path = dir.File("s.wav");
    WriteFile(path, MakePcmWav(Sine(44100 * 4, 2, 440, 44100, 8000)));
    const Bytes before = ReadFile(path);
    // 4 s of audio is 11 blocks of 65536 bytes: the scan reports 1 + 11 times.
    for (int stopAt : {0, 1, 5, 12, 13, 16, 23}) {
        CStopAfter sink(stopAt);
        std::string error = "x";
        EXPECT_FALSE(NormalizeFile(path, 0, &sink, nullptr, &error)) << stopAt;
        EXPECT_EQ(error, "") << stopAt;
        EXPECT_EQ(ReadFile(path), before) << stopAt;
        EXPECT_TRUE(NoTempLeft(dir)) << stopAt;
    }
}

TEST(Normalize, AFullDiskWhileNormalisingLeavesTheFileAsItWas) {
    CTempDir dir;
    const std::string path = dir.File("f.wav");
    WriteFile(path, MakePcmWav(Sine(44100 * 4, 2, 440, 44100, 8000)));
    const Bytes before = ReadFile(path);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      std::string error;
                      const bool ok = NormalizeFile(path, 0, nullptr, nullptr, &error);
                      return !ok && !error.empty() ? 0 : 1;
                  },
                  300000),
              0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_TRUE(NoTempLeft(dir));
}

}  // namespace
}  // namespace sonvara::test
