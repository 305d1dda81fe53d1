// The conversion jobs end to end on real files: sources written by sox and lame, outputs
// checked with mpg123 and sox.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/fileexception.h"
#include "audio/mp3encoder.h"
#include "audio/mpegtags.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "jobs/progresssink.h"
#include "support/childprocess.h"
#include "support/encoders.h"
#include "support/richtags.h"
#include "support/stopsink.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

double SoxSeconds(const std::string& path) {
    const CommandResult r = RunCommand("soxi -D " + ShellQuote(path));
    return std::atof(r.out.c_str());
}

// Decodes an MP3 with mpg123 and returns its seconds (stereo 16-bit at 44100 Hz).
double Mpg123Seconds(const std::string& mp3) {
    const CommandResult r = RunCommand("mpg123 -q -s " + ShellQuote(mp3));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out.size() / 4.0 / 44100.0;
}

class ConversionJobs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(HaveTool("lame") && HaveTool("mpg123") && HaveTool("sox"));
    }
    std::string SoxWav(const std::string& name, const std::string& format, double seconds) {
        const std::string path = m_Dir.File(name);
        const CommandResult r =
            RunCommand("sox -q " + format + " -n " + ShellQuote(path) + " synth " +
                       std::to_string(seconds) + " sine 300-3000 synth pinknoise amod 0.4");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path;
    }
    CTempDir m_Dir;
};

TEST_F(ConversionJobs, A44100StereoSourcePassesToTheEncoderByteForByte) {
    const std::string wav = SoxWav("cd.wav", "-r 44100 -c 2 -e signed -b 16", 3.3);
    CWavToMp3Job job;
    job.Setup(wav, m_Dir.File("job.mp3"), 2, 0, false);
    EXPECT_FALSE(job.Run(nullptr));
    job.Close();

    // The same PCM handed straight to the encoder makes the same file.
    CAudioWaveFile in;
    in.SetFileName(wav);
    ASSERT_TRUE(in.IsValid());
    in.OpenStream();
    CMP3Encoder direct;
    EncoderSettings s;
    s.bitRate = 128;
    s.quality = 5;
    direct.CreateOutput(m_Dir.File("direct.mp3"), s,
                        static_cast<std::uint64_t>(in.GetLength() * 44.1));
    std::vector<std::uint8_t> buf(32768);
    int n;
    while ((n = in.Read(1, buf.size(), buf.data(), buf.size())) > 0) {
        direct.EncodeSamples(buf.data(), static_cast<std::size_t>(n));
    }
    direct.Finish();
    EXPECT_TRUE(ReadFile(m_Dir.File("job.mp3")) == ReadFile(m_Dir.File("direct.mp3")));
}

TEST_F(ConversionJobs, EveryWavFormatRoundTripsThroughMp3WithItsLengthAndTags) {
    const std::vector<std::pair<std::string, std::string>> formats = {
        {"u8", "-r 44100 -c 2 -e unsigned -b 8"},
        {"s16m22", "-r 22050 -c 1 -e signed -b 16"},
        {"s24", "-r 48000 -c 2 -e signed -b 24"},
        {"f32", "-r 44100 -c 1 -e floating-point -b 32"},
        {"alaw", "-r 8000 -c 1 -e a-law"},
        {"ulaw", "-r 44100 -c 2 -e u-law"},
        {"ima", "-r 44100 -c 2 -e ima-adpcm"},
        {"ms", "-r 32000 -c 2 -e ms-adpcm"},
        {"s16m8k", "-r 8000 -c 1 -e signed -b 16"},
        {"s32", "-r 96000 -c 2 -e signed -b 32"},
    };
    for (const auto& [name, format] : formats) {
        const std::string wav = SoxWav(name + ".wav", format, 2.5);
        {
            CAudioWaveFile tagged;
            tagged.SetFileName(wav);
            ASSERT_TRUE(tagged.IsValid());
            tagged.SetTitle("Title " + name);
            tagged.SetArtist("Artist");
            tagged.SetAlbum("Album");
            tagged.SaveTags();
        }
        const std::string mp3 = m_Dir.File(name + ".mp3");
        CWavToMp3Job toMp3;
        toMp3.Setup(wav, mp3, 2, 0, false);
        EXPECT_FALSE(toMp3.Run(nullptr));
        toMp3.Close();
        EXPECT_NEAR(Mpg123Seconds(mp3), SoxSeconds(wav), 0.06) << name;

        CAudioMpegFile check;
        check.SetFileName(mp3);
        ASSERT_TRUE(check.IsValid()) << name;
        EXPECT_EQ(check.GetTitle(), "Title " + name);
        EXPECT_EQ(check.GetArtist(), "Artist");
        EXPECT_EQ(check.GetAlbum(), "Album");
        check.CloseStream();

        const std::string back = m_Dir.File(name + ".back.wav");
        CMp3ToWavJob toWav;
        toWav.Setup(mp3, back, 0);
        EXPECT_FALSE(toWav.Run(nullptr));
        toWav.Close();
        EXPECT_NEAR(SoxSeconds(back), SoxSeconds(wav), 0.06) << name;
        CAudioWaveFile result;
        result.SetFileName(back);
        ASSERT_TRUE(result.IsValid());
        EXPECT_EQ(result.GetTitle(), "Title " + name);
        EXPECT_EQ(result.GetSampleRate(), 44100u);
        EXPECT_EQ(result.GetChannels(), 2);
    }
}

TEST_F(ConversionJobs, LowRateMonoMp3BecomesCdStereoOfTheRightLengthAndImaDecodesInSox) {
    for (int rate : {8000, 11025, 22050, 48000}) {
        const std::string wav =
            SoxWav("m.wav", "-r " + std::to_string(rate) + " -c 1 -e signed -b 16", 3.0);
        const std::string mp3 = LameEncode(wav, m_Dir.File("m.mp3"), "-m m -b 32");
        CAudioMpegFile src;
        src.SetFileName(mp3);
        ASSERT_TRUE(src.IsValid());
        const double seconds = src.GetLength() / 1000.0;
        src.CloseStream();
        for (int type : {0, 1}) {
            const std::string out = m_Dir.File("m" + std::to_string(type) + ".wav");
            CMp3ToWavJob job;
            job.Setup(mp3, out, type);
            CStopAfter sink;
            EXPECT_FALSE(job.Run(&sink));
            job.Close();
            EXPECT_GE(sink.last, 98) << rate;
            EXPECT_NEAR(SoxSeconds(out), seconds, 0.05 + (type == 1 ? 0.05 : 0.0)) << rate;
            const CommandResult r = RunCommand("sox " + ShellQuote(out) + " -n stat");
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_NE(r.err.find("Length"), std::string::npos);
        }
    }
}

TEST_F(ConversionJobs, Mp3ToMp3ReencodesAtTheNewRateAndVbrCarriesTheRate) {
    const std::string wav = SoxWav("src.wav", "-r 44100 -c 2 -e signed -b 16", 4.0);
    const std::string mp3 = LameEncode(wav, m_Dir.File("src.mp3"), "-b 256 --tt Song");
    CMp3ToMp3Job job;
    job.Setup(mp3, m_Dir.File("out.mp3"), 0, 1, false);  // 64 kbit/s, quality 9
    EXPECT_EQ(job.GetSettings().bitRate, 64);
    EXPECT_EQ(job.GetSettings().quality, 9);
    EXPECT_EQ(job.GetSettings().title, "Song");
    EXPECT_FALSE(job.Run(nullptr));
    job.Close();
    EXPECT_LT(ReadFile(m_Dir.File("out.mp3")).size(), ReadFile(mp3).size() / 3);
    EXPECT_NEAR(Mpg123Seconds(m_Dir.File("out.mp3")), 4.0, 0.06);

    CMp3ToMp3Job vbr;
    vbr.Setup(mp3, m_Dir.File("vbr.mp3"), 4, 2, true);
    EXPECT_EQ(vbr.GetSettings().bitRate, 192);
    EXPECT_TRUE(vbr.GetSettings().vbr);
    vbr.Close();

    // Bit-rate indexes 7 and 8 name rates MPEG-1 Layer III does not have: an error, no file.
    CMp3ToMp3Job illegal;
    EXPECT_THROW(illegal.Setup(mp3, m_Dir.File("bad.mp3"), 7, 0, false), CFileException);
}

TEST_F(ConversionJobs, NewMp3sKeepTheSourcesTagsInFullButNotWhatDescribedTheOldAudio) {
    const std::string wav = SoxWav("tags.wav", "-r 44100 -c 2 -e signed -b 16", 2.0);
    const std::string plain = LameEncode(wav, m_Dir.File("plain.mp3"), "-b 192");
    const std::string mp3 = m_Dir.File("rich.mp3");
    MakeRichTaggedMp3(plain, mp3, 3);
    const std::string longTitle = "Очень длинное название песни, больше тридцати знаков";
    Python("from mutagen.id3 import ID3, TIT2\nt = ID3('" + mp3 +
           "')\nt.add(TIT2(encoding=1, text='" + longTitle + "'))\nt.save(v2_version=3)");
    // LIST/INFO texts after the audio of a WAV file.
    Python("import struct\nd = bytearray(open('" + wav +
           "', 'rb').read())\n"
           "def sub(i, t):\n    b = t.encode() + b'\\0'\n    b += b'\\0' * (len(b) & 1)\n"
           "    return i + struct.pack('<I', len(t.encode()) + 1) + b\n"
           "info = b'INFO' + sub(b'INAM', '" +
           longTitle +
           "') + sub(b'IART', 'Артист') + sub(b'IPRD', 'Альбом') + sub(b'ICRD', '2001')\n"
           "d += b'LIST' + struct.pack('<I', len(info)) + info\n"
           "d[4:8] = struct.pack('<I', len(d) - 8)\nopen('" +
           wav + "', 'wb').write(d)");

    const std::string fromMp3 = m_Dir.File("from-mp3.mp3");
    CMp3ToMp3Job toMp3;
    toMp3.Setup(mp3, fromMp3, 2, 0, true);  // VBR: the Xing header goes after the tag
    EXPECT_FALSE(toMp3.Run(nullptr));
    toMp3.Close();
    const std::string fromWav = m_Dir.File("from-wav.mp3");
    CWavToMp3Job wavJob;
    wavJob.Setup(wav, fromWav, 2, 0, false);
    EXPECT_FALSE(wavJob.Run(nullptr));
    wavJob.Close();

    const std::string read = "from mutagen.id3 import ID3\nfor p in ('" + fromMp3 + "', '" +
                             fromWav +
                             "'):\n    t = ID3(p)\n    print(t.version, sorted(t.keys()))\n"
                             "    print([str(t[k]) for k in ('TIT2', 'TPE1', 'TALB', 'TDRC')])\n";
    EXPECT_EQ(Python(read + "t = ID3('" + fromMp3 +
                     "')\nprint(t['TPE1'].text, t['TRCK'].text, t.getall('APIC')[0].data == "
                     "bytes(range(256)) * 4)\n"),
              "(2, 4, 0) ['APIC:', 'COMM::eng', 'TALB', 'TDRC', 'TIT2', 'TPE1', 'TRCK', "
              "'TXXX:MOOD', 'USLT::eng']\n"
              "['" +
                  longTitle +
                  "', 'First Artist/Second Artist', 'Old album', '1999']\n"
                  "(2, 4, 0) ['TALB', 'TDRC', 'TIT2', 'TPE1']\n['" +
                  longTitle +
                  "', 'Артист', 'Альбом', '2001']\n"
                  "['First Artist/Second Artist'] ['3/12'] True\n");
    for (const std::string& out : {fromMp3, fromWav}) {
        SCOPED_TRACE(out);
        EXPECT_EQ(ReadMpegTags(out).title, longTitle);
        const Bytes bytes = ReadFile(out);
        EXPECT_EQ(std::string(bytes.end() - 128, bytes.end() - 125), "TAG");
        EXPECT_EQ(bytes.back(), 255) << "ID3 version 1 genre: none";
        EXPECT_NEAR(Mpg123Seconds(out), 2.0, 0.06);
        CAudioMpegFile file;
        file.SetFileName(out);
        ASSERT_TRUE(file.IsValid());
        EXPECT_NEAR(file.GetLength(), 2000, 60);
    }
}

TEST_F(ConversionJobs,
       AnExactMultipleOfTheBlockEndsWithAnEmptyBlockAndZeroLengthGivesProgressZero) {
    // 3 blocks of 32768 bytes exactly: the fourth read delivers 0 bytes and still counts.
    WriteFile(m_Dir.File("exact.wav"), MakePcmWav(std::vector<std::int16_t>(3 * 16384, 100)));
    CWavToMp3Job job;
    job.Setup(m_Dir.File("exact.wav"), m_Dir.File("exact.mp3"), 2, 0, false);
    CStopAfter sink;
    EXPECT_FALSE(job.Run(&sink));
    job.Close();
    EXPECT_EQ(sink.reports, 4);
    // 300 ms is shorter than the 400 ms the length leaves out: length 0, progress 0.
    WriteFile(m_Dir.File("short.wav"), MakePcmWav(Sine(13230, 2, 440, 44100)));
    CWavToMp3Job shortJob;
    shortJob.Setup(m_Dir.File("short.wav"), m_Dir.File("short.mp3"), 2, 0, false);
    CStopAfter shortSink;
    EXPECT_FALSE(shortJob.Run(&shortSink));
    shortJob.Close();
    EXPECT_EQ(shortSink.last, 0);
}

TEST_F(ConversionJobs, StopRequestsAtTheFirstAMiddleAndTheLastBlock) {
    const std::string wav = SoxWav("stop.wav", "-r 44100 -c 2 -e signed -b 16", 2.0);
    const Bytes original = ReadFile(wav);
    const std::string mp3 = LameEncode(wav, m_Dir.File("stop.mp3"), "-b 128");
    const Bytes originalMp3 = ReadFile(mp3);
    const int blocks = static_cast<int>((original.size() - 44) / 32768) + 1;
    for (int stopAt : {1, blocks / 2, blocks}) {
        CStopAfter sink(stopAt);
        CWavToMp3Job job;
        job.Setup(wav, m_Dir.File("o.mp3"), 2, 0, false);
        EXPECT_TRUE(job.Run(&sink)) << stopAt;
        EXPECT_EQ(sink.reports, stopAt);
        job.Close();

        CStopAfter sink2(stopAt);
        CMp3ToWavJob toWav;
        toWav.Setup(mp3, m_Dir.File("o.wav"), 1);
        EXPECT_TRUE(toWav.Run(&sink2)) << stopAt;
        toWav.Close();
        // What was written is a complete, readable file.
        CAudioWaveFile partial;
        partial.SetFileName(m_Dir.File("o.wav"));
        EXPECT_TRUE(partial.IsValid());
    }
    EXPECT_EQ(ReadFile(wav), original);
    EXPECT_EQ(ReadFile(mp3), originalMp3);
}

TEST_F(ConversionJobs, UnreadableSourcesAreErrorsNotEmptyOutputs) {
    WriteFile(m_Dir.File("notes.wav"), {'h', 'e', 'l', 'l', 'o'});
    CWavToMp3Job job;
    EXPECT_THROW(job.Setup(m_Dir.File("notes.wav"), m_Dir.File("o.mp3"), 2, 0, false),
                 CFileException);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("o.mp3")));
    WriteFile(m_Dir.File("mpeg.wav"),
              MakeRiff({{"fmt ", FmtData(0x55, 2, 44100, 8)}, {"data", Bytes(1000, 0)}}));
    EXPECT_THROW(job.Setup(m_Dir.File("mpeg.wav"), m_Dir.File("o.mp3"), 2, 0, false),
                 CFileException);
    WriteFile(m_Dir.File("fake.mp3"), Bytes(4000, 0x11));
    CMp3ToWavJob toWav;
    EXPECT_THROW(toWav.Setup(m_Dir.File("fake.mp3"), m_Dir.File("o.wav"), 0), CFileException);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("o.wav")));
}

TEST_F(ConversionJobs, AFullDiskDuringEncodingOrDecodingReachesTheCaller) {
    const std::string wav = SoxWav("big.wav", "-r 44100 -c 2 -e signed -b 16", 6.0);
    const std::string mp3 = LameEncode(wav, m_Dir.File("big.mp3"), "-b 320");
    const Bytes wavBytes = ReadFile(wav);
    const Bytes mp3Bytes = ReadFile(mp3);
    auto expectDiskFull = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const CFileException& e) {
            return e.m_cause == CFileException::diskFull ? 0 : 4;
        }
        return 5;
    };
    EXPECT_EQ(InChildProcess(
                  [&] {
                      return expectDiskFull([&] {
                          CWavToMp3Job job;
                          job.Setup(wav, m_Dir.File("full.mp3"), 6, 0, false);
                          job.Run(nullptr);
                          job.Close();
                      });
                  },
                  40000),
              0);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      return expectDiskFull([&] {
                          CMp3ToWavJob job;
                          job.Setup(mp3, m_Dir.File("full.wav"), 0);
                          job.Run(nullptr);
                          job.Close();
                      });
                  },
                  100000),
              0);
    EXPECT_EQ(ReadFile(wav), wavBytes);
    EXPECT_EQ(ReadFile(mp3), mp3Bytes);
}

}  // namespace
}  // namespace sonvara::test
