// MP3 to WAV of streams joined from several encodings (the channel mode or the rate changes
// part-way), the frame walk's verdict on them, and a decoder error in the middle of a track.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/fileexception.h"
#include "check/mp3check.h"
#include "convert/mp3towavjob.h"
#include "support/encoders.h"
#include "support/joinedstreams.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

class JoinedConversion : public CJoinedStreamTest {
protected:
    std::string ToWav(const std::string& mp3) {
        const std::string out = mp3 + ".wav";
        CMp3ToWavJob job;
        job.Setup(mp3, out, 0);
        EXPECT_FALSE(job.Run(nullptr));
        job.Close();
        return out;
    }
};

TEST_F(JoinedConversion, ModeAndRateChangesConvertWholeAndPassTheFrameWalk) {
    const Bytes mono = Part("m", 44100, 1, "1.2 sine 300", "-b 64 -m m");
    const Bytes stereo = Part("s", 44100, 2, "2 sine 200-2000 synth pinknoise amod 0.3", "-b 128");
    const Bytes high = Part("h", 48000, 2, "1.5 sine 700", "-V 3");
    const std::string monoStereoMono = Join("msm.mp3", {mono, stereo, mono});
    const std::string stereoMono = Join("sm.mp3", {stereo, mono});
    const std::string twoRates = Join("rates.mp3", {stereo, high});

    for (const std::string& path : {monoStereoMono, stereoMono, twoRates}) {
        CMP3Check check;
        check.SetOption(CMP3Check::kOptionWholeFile, true);
        EXPECT_TRUE(check.CheckFile(path, nullptr)) << path;
        EXPECT_EQ(check.GetStreamState().errors, 0) << path;
    }
    // Without a change of rate the WAV holds exactly what mpg123 decodes as stereo.
    for (const std::string& path : {monoStereoMono, stereoMono}) {
        const std::string wav = ToWav(path);
        CAudioWaveFile w;
        w.SetFileName(wav);
        ASSERT_TRUE(w.IsValid());
        EXPECT_EQ(w.GetSampleRate(), 44100u);
        EXPECT_EQ(w.GetChannels(), 2);
        const Samples written = DecodeWavSamples(wav);
        const Samples reference = Mpg123(path, "--stereo");
        ASSERT_EQ(written.size(), reference.size()) << path;
        EXPECT_TRUE(written == reference) << path;
    }
    // With one, it holds the decoder's output at the first rate: as many frames as the
    // stream lasts.
    const Samples written = DecodeWavSamples(ToWav(twoRates));
    const Samples reference = Mpg123(twoRates, "--stereo -r 44100 --resample NtoM");
    EXPECT_NEAR(static_cast<double>(written.size() / 2), static_cast<double>(reference.size() / 2),
                4.0);
    CAudioMpegFile f;
    f.SetFileName(twoRates);
    ASSERT_TRUE(f.IsValid());
    EXPECT_NEAR(f.GetLength(), written.size() / 2 * 1000.0 / 44100, 1.0);
    const std::size_t firstPart = Mpg123(m_Dir.File("s.mp3"), "").size();
    ASSERT_GT(written.size(), firstPart);
    EXPECT_TRUE(std::equal(written.begin(),
                           written.begin() + static_cast<std::ptrdiff_t>(firstPart),
                           reference.begin()));
}

TEST_F(JoinedConversion, ADecoderErrorFailsTheTrackWithItsReason) {
    const Bytes stream = Part("e", 44100, 2, "4 sine 200-2000", "-b 128");
    Bytes broken(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2));
    Append(broken, Bytes(2 * 1024 * 1024, 0));
    broken.insert(broken.end(), stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2),
                  stream.end());
    WriteFile(m_Dir.File("broken.mp3"), broken);
    CMp3ToWavJob job;
    job.Setup(m_Dir.File("broken.mp3"), m_Dir.File("broken.wav"), 0);
    try {
        job.Run(nullptr);
        ADD_FAILURE() << "the conversion ended as if the track were complete";
    } catch (const CFileException& e) {
        EXPECT_NE(std::string(e.what()).find("decoding failed at"), std::string::npos) << e.what();
    }
    job.Close();
}

}  // namespace
}  // namespace sonvara::test
