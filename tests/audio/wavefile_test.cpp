#include "audio/audiowavefile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstring>

#include "audio/fileexception.h"
#include "support/childprocess.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

Bytes ReadAll(CAudioWaveFile& f, std::size_t request = 32768) {
    Bytes out;
    std::vector<std::uint8_t> buf(request);
    for (;;) {
        const int n = f.Read(1, request, buf.data(), buf.size());
        if (n <= 0) {
            break;
        }
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

Bytes DecodeOurs(const std::string& path) {
    CAudioWaveFile f;
    f.SetFileName(path);
    EXPECT_TRUE(f.IsValid()) << path;
    f.OpenStream();
    EXPECT_EQ(f.UnreadableReason(), "") << path;
    Bytes out = ReadAll(f);
    f.CloseStream();
    return out;
}

// sox's own decoding to raw 16-bit PCM at the given rate and channels, without dither.
Bytes DecodeSox(const std::string& path, int channels, int rate, const CTempDir& dir) {
    const std::string raw = dir.File("sox.raw");
    const CommandResult r = RunCommand("sox -D " + ShellQuote(path) +
                                       " -t raw -e signed -b 16 -c " + std::to_string(channels) +
                                       " -r " + std::to_string(rate) + " " + ShellQuote(raw));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadFile(raw);
}

std::vector<std::int16_t> Samples(const Bytes& b) {
    std::vector<std::int16_t> s(b.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<std::int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    }
    return s;
}

std::string SoxWav(const CTempDir& dir, const std::string& name, const std::string& format,
                   int channels, int rate, double seconds = 2.0) {
    const std::string path = dir.File(name);
    const CommandResult r =
        RunCommand("sox -q -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                   " " + format + " " + ShellQuote(path) + " synth " + std::to_string(seconds) +
                   " sine 440 sine 1500 synth pinknoise amod 0.5 0.5 vol 0.95");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
}

struct SoxCase {
    const char* name;
    const char* format;
    int tolerance;  // largest sample difference allowed
};

TEST(WaveReadAgainstSox, EveryStoredFormatDecodesToWhatSoxDecodes) {
    ASSERT_TRUE(HaveTool("sox"));
    const SoxCase cases[] = {
        {"u8", "-e unsigned -b 8", 0},
        {"s24", "-e signed -b 24", 0},
        {"s32", "-e signed -b 32", 0},
        {"f32", "-e floating-point -b 32", 1},
        {"f64", "-e floating-point -b 64", 1},
        {"alaw", "-e a-law", 0},
        {"ulaw", "-e u-law", 0},
        {"ima", "-e ima-adpcm", 0},
        {"ms", "-e ms-adpcm", 0},
    };
    CTempDir dir;
    for (const SoxCase& c : cases) {
        for (int channels : {1, 2}) {
            const std::string path =
                SoxWav(dir, std::string(c.name) + std::to_string(channels) + ".wav", c.format,
                       channels, 44100);
            const std::vector<std::int16_t> ours = Samples(DecodeOurs(path));
            std::vector<std::int16_t> theirs = Samples(DecodeSox(path, 2, 44100, dir));
            // sox also decodes the padding of the last ADPCM block, past the frame count the
            // "fact" chunk states; the reader stops at that count.
            const std::size_t stated = 2 * 88200 * 2 / 2;
            if (std::string(c.name) == "ima" || std::string(c.name) == "ms") {
                ASSERT_GE(theirs.size(), stated);
                theirs.resize(stated);
            }
            ASSERT_EQ(ours.size(), theirs.size()) << c.name << " channels " << channels;
            int worst = 0;
            for (std::size_t i = 0; i < ours.size(); ++i) {
                worst = std::max(worst, std::abs(ours[i] - theirs[i]));
            }
            EXPECT_LE(worst, c.tolerance) << c.name << " channels " << channels;
        }
    }
}

TEST(WaveReadAgainstSox, SixteenBitPcmIsDeliveredAsStored) {
    CTempDir dir;
    for (int channels : {1, 2}) {
        for (int rate : {22050, 44100, 48000}) {
            const std::string path = SoxWav(dir, "p.wav", "-e signed -b 16", channels, rate);
            CAudioWaveFile f;
            f.SetFileName(path);
            ASSERT_TRUE(f.IsValid());
            EXPECT_EQ(f.GetSampleRate(), static_cast<std::uint32_t>(rate));
            EXPECT_EQ(f.GetChannels(), channels);
            f.OpenStream();
            EXPECT_FALSE(f.DeliversConverted());
            const Bytes ours = ReadAll(f);
            f.CloseStream();
            EXPECT_EQ(ours, DecodeSox(path, channels, rate, dir));
        }
    }
}

TEST(WaveReadResampling, OtherRatesBecome44100WithTheExactFrameCountAndLittleError) {
    CTempDir dir;
    for (int rate : {8000, 11025, 22050, 32000, 48000, 96000, 192000}) {
        for (int channels : {1, 2}) {
            const std::string path = dir.File("r.wav");
            const std::size_t frames = static_cast<std::size_t>(rate) * 3 / 2;
            const CommandResult r =
                RunCommand("sox -q -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                           " -n -e signed -b 24 " + ShellQuote(path) + " synth " +
                           std::to_string(frames) + "s sine 997 vol 0.5");
            ASSERT_EQ(r.exitCode, 0) << r.err;
            CAudioWaveFile f;
            f.SetFileName(path);
            ASSERT_TRUE(f.IsValid());
            f.OpenStream();
            ASSERT_TRUE(f.DeliversConverted());
            const std::vector<std::int16_t> ours = Samples(ReadAll(f, 20000));
            const std::size_t expected = (frames * 44100 + rate - 1) / rate;
            ASSERT_EQ(ours.size(), expected * 2) << rate << " Hz, " << channels << " ch";

            // Against sox's own high-quality resampling: the same sine, within a small error.
            const std::vector<std::int16_t> theirs = Samples(DecodeSox(path, 2, 44100, dir));
            const std::size_t n = std::min(ours.size(), theirs.size());
            double signal = 0;
            double error = 0;
            for (std::size_t i = 2000; i + 2000 < n; ++i) {  // away from the two ends
                signal += double(theirs[i]) * theirs[i];
                error += double(ours[i] - theirs[i]) * (ours[i] - theirs[i]);
            }
            EXPECT_LT(std::sqrt(error / signal), 0.01) << rate << " Hz, " << channels << " ch";
            if (channels == 1) {
                for (std::size_t i = 0; i < ours.size(); i += 2) {
                    ASSERT_EQ(ours[i], ours[i + 1]);
                }
            }
        }
    }
}

TEST(WaveWrite, ImaAdpcmOutputDecodesInSoxExactlyAsInOurDecoder) {
    CTempDir dir;
    const std::vector<std::int16_t> pcm = Sine(44100 * 3 + 1234, 2, 523.25, 44100, 20000);
    const std::string path = dir.File("ima.wav");
    {
        CAudioWaveFile w;
        w.CreateOutput(path, MakeImaAdpcmCdFormat());
        // Uneven pieces, as a decoder hands them over.
        std::size_t at = 0;
        std::size_t piece = 1;
        while (at < pcm.size()) {
            const std::size_t n = std::min(pcm.size() - at, piece * 2);
            w.WriteData(pcm.data() + at, n * 2);
            at += n;
            piece = piece * 3 % 17000 + 1;
        }
        w.Finish();
    }
    const Bytes file = ReadFile(path);
    const std::size_t blocks = (pcm.size() / 2 + 2040) / 2041;
    EXPECT_EQ(file.size(), 48 + blocks * 2048);  // "fmt " of 20 bytes, whole blocks only
    const std::vector<std::int16_t> ours = Samples(DecodeOurs(path));
    const std::vector<std::int16_t> theirs = Samples(DecodeSox(path, 2, 44100, dir));
    EXPECT_EQ(ours, theirs);
    ASSERT_EQ(ours.size(), blocks * 2041 * 2);
    // The audio survives the trip: little error, and the padding after it is silence.
    double signal = 0;
    double error = 0;
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        signal += double(pcm[i]) * pcm[i];
        error += double(ours[i] - pcm[i]) * (ours[i] - pcm[i]);
    }
    EXPECT_LT(std::sqrt(error / signal), 0.05);
    for (std::size_t i = pcm.size() + 64; i < ours.size(); ++i) {
        ASSERT_LT(std::abs(ours[i]), 64) << i;
    }
}

TEST(WaveWrite, PcmOutputHoldsExactlyTheBytesGiven) {
    CTempDir dir;
    const std::string path = dir.File("out:put?.wav");
    const std::vector<std::int16_t> pcm = Sine(100001, 2, 1000, 44100);
    CAudioWaveFile w;
    w.CreateOutput(path, MakeCdFormat());
    EXPECT_EQ(w.GetFileName(), dir.File("out_put_.wav"));
    w.WriteData(pcm.data(), 3);  // odd pieces are fine
    w.WriteData(reinterpret_cast<const std::uint8_t*>(pcm.data()) + 3, pcm.size() * 2 - 3);
    w.Finish();
    const Bytes expected = MakePcmWav(pcm);
    Bytes file = ReadFile(dir.File("out_put_.wav"));
    // Our "fmt " chunk is 18 bytes (with its extra size), 2 more than the builder's.
    ASSERT_EQ(file.size(), expected.size() + 2);
    EXPECT_EQ(Bytes(file.begin() + 46, file.end()), Bytes(expected.begin() + 44, expected.end()));
    EXPECT_EQ(file[42] | file[43] << 8 | file[44] << 16 | file[45] << 24,
              static_cast<int>(pcm.size() * 2));

    CAudioWaveFile r;
    r.SetFileName(dir.File("out_put_.wav"));
    ASSERT_TRUE(r.IsValid());
    r.OpenStream();
    EXPECT_EQ(Samples(ReadAll(r)), pcm);
}

TEST(WaveRead, LengthPositionAndSeek) {
    CTempDir dir;
    const std::string path = dir.File("ten.wav");
    WriteFile(path, MakePcmWav(std::vector<std::int16_t>(441000 * 2, 0)));  // 1 764 000 bytes
    CAudioWaveFile f;
    EXPECT_EQ(f.GetSampleRate(), 0u);  // nothing opened yet
    EXPECT_EQ(f.GetChannels(), 0);
    EXPECT_EQ(f.GetBitsPerSample(), 0);
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    EXPECT_EQ(f.GetLength(), 9600);
    f.OpenStream();
    f.Seek(2500);
    EXPECT_EQ(f.GetPosition(), 2000);
    std::vector<std::uint8_t> buf(176400);
    EXPECT_EQ(f.Read(4, 44100, buf.data(), buf.size()), 176400);
    EXPECT_EQ(f.GetPosition(), 3000);
    f.Seek(60000);  // past the end: at the end
    EXPECT_EQ(f.Read(1, 100, buf.data(), buf.size()), 0);

    const std::string tiny = dir.File("tiny.wav");
    WriteFile(tiny, MakePcmWav(std::vector<std::int16_t>(4410 * 2, 0)));  // 100 ms
    CAudioWaveFile t;
    t.SetFileName(tiny);
    ASSERT_TRUE(t.IsValid());
    EXPECT_EQ(t.GetLength(), 0);
}

TEST(WaveRead, ReadingStopsAtTheEndOfTheDataChunk) {
    CTempDir dir;
    const std::string path = dir.File("tags.wav");
    const std::vector<std::int16_t> pcm = Sine(1000, 2, 440, 44100);
    Bytes data;
    for (std::int16_t s : pcm) {
        Append(data, LE16(static_cast<std::uint16_t>(s)));
    }
    WriteFile(path, MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)},
                              {"data", data},
                              TextChunk("TITL", "T"),
                              TextChunk("INTR", "A"),
                              TextChunk("ALBU", "B")}));
    CAudioWaveFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    f.OpenStream();
    EXPECT_EQ(Samples(ReadAll(f, 333)), pcm);  // the text chunks are not audio
}

TEST(WaveTags, TextChunksAreReadOnlyInTheirPlaceAfterData) {
    CTempDir dir;
    const Chunk fmt{"fmt ", FmtData(1, 2, 44100, 16)};
    const Chunk data{"data", Bytes(4000, 0)};
    auto tagsOf = [&](const std::vector<Chunk>& chunks) {
        const std::string path = dir.File("t.wav");
        WriteFile(path, MakeRiff(chunks));
        CAudioWaveFile f;
        f.SetFileName(path);
        EXPECT_TRUE(f.IsValid());
        return f.GetTitle() + "|" + f.GetArtist() + "|" + f.GetAlbum();
    };
    EXPECT_EQ(tagsOf({fmt, data, TextChunk("TITL", "Title"), TextChunk("INTR", "Artist"),
                      TextChunk("ALBU", "Album")}),
              "Title|Artist|Album");
    EXPECT_EQ(tagsOf({fmt, data}), "||");
    EXPECT_EQ(tagsOf({fmt, data, TextChunk("INTR", "Artist")}), "||");
    EXPECT_EQ(tagsOf({fmt, data, TextChunk("TITL", "Title"), TextChunk("ALBU", "Album"),
                      TextChunk("INTR", "Artist")}),
              "Title||");
    // Latin-1 bytes become their characters; UTF-8 stays as it is.
    EXPECT_EQ(tagsOf({fmt, data, TextChunk("TITL", "Caf\xE9"), TextChunk("INTR", "Caf\xC3\xA9"),
                      TextChunk("ALBU", std::string(64, 'x'))}),
              "Caf\xC3\xA9|Caf\xC3\xA9|" + std::string(64, 'x'));
}

TEST(WaveTags, FirstSaveAppends216BytesAndTheSecondOverwritesInPlace) {
    CTempDir dir;
    const std::string path = dir.File("s.wav");
    const Bytes original = MakePcmWav(Sine(5000, 2, 440, 44100));
    WriteFile(path, original);
    {
        CAudioWaveFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        f.SetTitle("Ein Titel mit Umlaut: äöü");
        f.SetArtist(std::string(70, 'a'));                  // cut at 64
        f.SetAlbum("\xE2\x82\xAC" + std::string(62, 'b'));  // 65 bytes: the cut drops a 'b'
        f.SaveTags();
    }
    Bytes once = ReadFile(path);
    ASSERT_EQ(once.size(), original.size() + 216);
    EXPECT_EQ(Bytes(once.begin() + 8, once.begin() + static_cast<std::ptrdiff_t>(original.size())),
              Bytes(original.begin() + 8, original.end()));  // audio untouched
    const std::uint32_t riffLength = once[4] | once[5] << 8 | once[6] << 16 | once[7] << 24;
    EXPECT_EQ(riffLength, once.size() - 8);
    {
        CAudioWaveFile f;
        f.SetFileName(path);
        ASSERT_TRUE(f.IsValid());
        EXPECT_EQ(f.GetTitle(), "Ein Titel mit Umlaut: äöü");
        EXPECT_EQ(f.GetArtist(), std::string(64, 'a'));
        EXPECT_EQ(f.GetAlbum(), "\xE2\x82\xAC" + std::string(61, 'b'));
        f.SetTitle("Second");
        f.SaveTags();
    }
    const Bytes twice = ReadFile(path);
    EXPECT_EQ(twice.size(), once.size());
    CAudioWaveFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    EXPECT_EQ(f.GetTitle(), "Second");
    EXPECT_EQ(f.GetArtist(), std::string(64, 'a'));
}

TEST(WaveTags, OverwritingInPlaceNeverWritesIntoAForeignChunk) {
    CTempDir dir;
    const std::string path = dir.File("odd.wav");
    // "TITL" stands before "data": the chunk after it is the audio, which must stay.
    WriteFile(path, MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)},
                              TextChunk("TITL", "Old"),
                              {"data", Bytes(4000, 0x11)}}));
    const Bytes before = ReadFile(path);
    CAudioWaveFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    f.SetTitle("New");
    f.SetArtist("Artist");
    f.SaveTags();
    const Bytes after = ReadFile(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Bytes(after.end() - 4000, after.end()), Bytes(4000, 0x11));
}

TEST(WaveTags, SavingToAFileThatCannotBeWrittenRaisesAndChangesNothing) {
    CTempDir dir;
    const std::string path = dir.File("full.wav");
    const Bytes original = MakePcmWav(Sine(3000, 2, 440, 44100));
    WriteFile(path, original);
    // A child whose file-size limit stops the append part-way: the write fails like on a
    // full disk.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(original.size() + 100),
                     static_cast<rlim_t>(original.size() + 100)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        CAudioWaveFile f;
        f.SetFileName(path);
        if (!f.IsValid()) {
            ::_exit(3);
        }
        f.SetTitle("x");
        try {
            f.SaveTags();
        } catch (const CFileException& e) {
            ::_exit(e.m_cause == CFileException::diskFull ? 0 : 4);
        }
        ::_exit(5);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(path), original);

    CAudioWaveFile missing;
    missing.SetFileName(dir.File("none.wav"));
    EXPECT_THROW(missing.SaveTags(), CFileException);
}

TEST(WaveWrite, AFullDiskWhileWritingRaisesTheDiskFullCause) {
    CTempDir dir;
    for (bool adpcm : {false, true}) {
        EXPECT_EQ(InChildProcess(
                      [&] {
                          const std::vector<std::int16_t> pcm = Sine(44100, 2, 440, 44100);
                          CAudioWaveFile w;
                          try {
                              w.CreateOutput(dir.File("o.wav"),
                                             adpcm ? MakeImaAdpcmCdFormat() : MakeCdFormat());
                              for (int i = 0; i < 20; ++i) {
                                  w.WriteData(pcm.data(), pcm.size() * 2);
                              }
                              w.Finish();
                          } catch (const CFileException& e) {
                              return e.m_cause == CFileException::diskFull ? 0 : 4;
                          }
                          return 5;
                      },
                      200000),
                  0)
            << "adpcm " << adpcm;
    }
}

TEST(WaveRead, UnsupportedFormatsOpenButReadNothingAndSayWhy) {
    CTempDir dir;
    const std::string path = dir.File("mp3in.wav");
    // MPEG Layer III inside a WAV: 16000 bytes a second, blocks of one byte.
    Bytes mpegFmt = LE16(0x55);
    Append(mpegFmt, LE16(2));
    Append(mpegFmt, LE32(44100));
    Append(mpegFmt, LE32(16000));
    Append(mpegFmt, LE16(1));
    Append(mpegFmt, LE16(0));
    Append(mpegFmt, LE16(0));
    WriteFile(path, MakeRiff({{"fmt ", mpegFmt}, {"data", Bytes(1000, 1)}}));
    CAudioWaveFile f;
    f.SetFileName(path);
    EXPECT_TRUE(f.IsValid());
    f.OpenStream();
    std::uint8_t buf[64];
    EXPECT_EQ(f.Read(1, 64, buf, sizeof buf), -1);
    EXPECT_NE(f.UnreadableReason().find("unsupported WAV format (format tag 0x0055"),
              std::string::npos)
        << f.UnreadableReason();

    WriteFile(path, MakeRiff({{"fmt ", FmtData(1, 6, 44100, 16)}, {"data", Bytes(1200, 1)}}));
    CAudioWaveFile six;
    six.SetFileName(path);
    EXPECT_TRUE(six.IsValid());
    six.OpenStream();
    EXPECT_EQ(six.GetChannels(), 6);
    EXPECT_EQ(six.Read(1, 64, buf, sizeof buf), -1);
    EXPECT_NE(six.UnreadableReason().find("6 channels"), std::string::npos);
    WriteFile(path, MakeRiff({{"fmt ", FmtData(1, 6, 44100, 24)}, {"data", Bytes(1800, 1)}}));
    CAudioWaveFile six24;
    six24.SetFileName(path);
    EXPECT_TRUE(six24.IsValid());
    six24.OpenStream();
    EXPECT_EQ(six24.Read(1, 64, buf, sizeof buf), -1);
    EXPECT_NE(six24.UnreadableReason().find("6 channels"), std::string::npos);
}

TEST(WaveRead, ExtensibleFloatAndAShortFinalReadLoseNothing) {
    CTempDir dir;
    Bytes data;
    std::vector<std::int16_t> expected;
    for (int i = 0; i < 3001; ++i) {  // an odd count of frames
        for (int c = 0; c < 2; ++c) {
            const float v = static_cast<float>(std::sin(i * 0.01 + c)) * 0.5f;
            std::uint32_t raw;
            std::memcpy(&raw, &v, 4);
            Append(data, LE32(raw));
            expected.push_back(static_cast<std::int16_t>(std::floor(v * 32768.0 + 0.5)));
        }
    }
    Bytes extra = LE16(32);
    Append(extra, LE32(3));  // front left and right
    Append(extra, {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00,
                   0x38, 0x9B, 0x71});
    const std::string path = dir.File("ext.wav");
    WriteFile(path, MakeRiff({{"fmt ", FmtData(0xFFFE, 2, 44100, 32, extra)}, {"data", data}}));
    CAudioWaveFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    f.OpenStream();
    const std::vector<std::int16_t> got = Samples(ReadAll(f, 4096 * 3 + 4));
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_LE(std::abs(got[i] - expected[i]), 1) << i;
    }
}

// Damaged headers never crash the reader and never make it read outside the file.
TEST(WaveDamaged, TruncatedAndLyingHeadersGiveInvalidOrShortReads) {
    CTempDir dir;
    const std::string path = dir.File("d.wav");
    const Bytes good = MakePcmWav(Sine(2000, 2, 440, 44100));
    for (std::size_t cut = 0; cut < 60; ++cut) {
        WriteFile(path, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
        CAudioWaveFile f;
        f.SetFileName(path);
        if (f.IsValid()) {
            f.OpenStream();
            EXPECT_LE(ReadAll(f).size(), cut);
        }
    }

    auto lengthOf = [&](const Bytes& bytes, Bytes* audio) {
        WriteFile(path, bytes);
        CAudioWaveFile f;
        f.SetFileName(path);
        if (!f.IsValid()) {
            return -1;
        }
        f.OpenStream();
        *audio = ReadAll(f);
        return static_cast<int>(f.GetLength());
    };
    Bytes audio;
    // "data" claims far more than the file holds: only what is there is read.
    EXPECT_EQ(lengthOf(MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)},
                                 {"data", Bytes(88200 * 2, 0), 0x7FFFFFF0}}),
                       &audio),
              600);
    EXPECT_EQ(audio.size(), 88200u * 2);
    // Every length field at 0xFFFFFFFF.
    EXPECT_GE(lengthOf(MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)},
                                 {"data", Bytes(4000, 0), 0xFFFFFFFF}},
                                0xFFFFFFFF),
                       &audio),
              0);
    EXPECT_EQ(audio.size(), 4000u);
    // A "fmt " chunk of 2 bytes, one claiming 4 GiB, and one of zeros.
    EXPECT_EQ(lengthOf(MakeRiff({{"fmt ", {1, 0}}, {"data", Bytes(100, 0)}}), &audio), -1);
    EXPECT_EQ(lengthOf(MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16), 0xFFFFFFFF}}), &audio), -1);
    EXPECT_EQ(lengthOf(MakeRiff({{"fmt ", Bytes(16, 0)}, {"data", Bytes(100, 0)}}), &audio), -1);
    // No "data", no "fmt ", not RIFF at all.
    EXPECT_EQ(lengthOf(MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)}}), &audio), -1);
    EXPECT_EQ(lengthOf(MakeRiff({{"data", Bytes(100, 0)}}), &audio), -1);
    EXPECT_EQ(lengthOf(Bytes(100, 'x'), &audio), -1);
    // ADPCM with block sizes that do not fit the data, or that are far too small.
    EXPECT_GE(lengthOf(MakeRiff({{"fmt ", FmtData(0x11, 2, 44100, 4, LE16(2041))},
                                 {"data", Bytes(1000, 0x77)}}),
                       &audio),
              -1);
}

}  // namespace
}  // namespace sonvara::test
