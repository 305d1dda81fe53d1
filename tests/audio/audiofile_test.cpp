#include "audio/audiofile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "audio/archive.h"
#include "audio/audiompegfile.h"
#include "audio/audiotrack.h"
#include "audio/audiowavefile.h"
#include "audio/disctrack.h"

namespace sonvara::test {
namespace {

// A kind that counts its opens and reports a length chosen by the test.
class CCountingFile : public CAudioFile {
public:
    std::int16_t GetBitsPerSample() override { return 16; }
    std::uint32_t GetSampleRate() override { return 44100; }
    std::int16_t GetChannels() override { return 2; }
    std::int32_t GetLength() override { return length; }
    std::int32_t GetPosition() override { return 0; }
    int Read(std::size_t, std::size_t, void*, std::size_t) override { return -1; }
    void CloseStream() override { ++closes; }
    void OpenStream() override {}
    void SaveTags() override {}
    bool HasFormat() const override { return hasFormat; }
    bool Open(std::uint32_t mode) override {
        ++opens;
        lastMode = mode;
        return openResult;
    }

    int opens = 0;
    int closes = 0;
    std::uint32_t lastMode = 0;
    bool openResult = true;
    bool hasFormat = false;
    std::int32_t length = 0;
};

TEST(AudioFileValidation, OneOpenPerChangeOfName) {
    CCountingFile f;
    EXPECT_FALSE(f.IsValid());  // never named: not changed, not valid
    EXPECT_EQ(f.opens, 0);

    f.SetFileName("/music/a.mp3");
    f.SetFileName("/music/b.mp3");
    EXPECT_EQ(f.opens, 0);
    EXPECT_TRUE(f.IsValid());
    EXPECT_EQ(f.opens, 1);
    EXPECT_EQ(f.lastMode, OPEN_PARSE);
    EXPECT_TRUE(f.IsValid());
    EXPECT_EQ(f.opens, 1);
    EXPECT_EQ(f.GetFileName(), "/music/b.mp3");

    f.openResult = false;
    f.SetFileName("/music/c.mp3");
    EXPECT_FALSE(f.IsValid());
    EXPECT_FALSE(f.IsValid());
    EXPECT_EQ(f.opens, 2);
}

TEST(AudioFileValidation, AFileHoldingAFormatIsNotValidThroughTheBaseRule) {
    CCountingFile f;
    f.hasFormat = true;
    f.SetFileName("x");
    EXPECT_FALSE(f.IsValid());
    EXPECT_EQ(f.opens, 1);
}

TEST(AudioFileTags, TextsAreKeptAsGiven) {
    CCountingFile f;
    f.SetTitle("Für Elise – 第一");
    f.SetArtist("Артист");
    f.SetAlbum("");
    EXPECT_EQ(f.GetTitle(), "Für Elise – 第一");
    EXPECT_EQ(f.GetArtist(), "Артист");
    EXPECT_EQ(f.GetAlbum(), "");
}

TEST(AudioTrackKinds, PathConstructorPicksTheKindByUpperCasedExtension) {
    CAudioTrack mp3("/tmp/none/x.Mp3");
    EXPECT_NE(dynamic_cast<CAudioMpegFile*>(mp3.GetFile()), nullptr);
    EXPECT_EQ(mp3.GetExtension(), ".MP3");
    EXPECT_EQ(mp3.GetFileName(), "/tmp/none/x.Mp3");
    CAudioTrack wav("/tmp/none/y.wav");
    EXPECT_NE(dynamic_cast<CAudioWaveFile*>(wav.GetFile()), nullptr);
    EXPECT_EQ(wav.GetExtension(), ".WAV");

    try {
        CAudioTrack bad("/tmp/none/z.flac");
        FAIL() << "a .flac path must be refused";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("/tmp/none/z.flac"), std::string::npos);
    }
    EXPECT_THROW(CAudioTrack("/tmp/none/mp3"), std::invalid_argument);
}

TEST(AudioTrackArchive, StoresOnlyThePathAndReloadsByTheArchiveRule) {
    const std::vector<std::pair<std::string, bool>> paths = {
        // path, expect MPEG kind
        {"/m/a.mp3", true},  {"/m/b.MP3", true},  {"/m/c.mP3", true},  {"/m/d.dll", true},
        {"/m/e.WAV", false}, {"/m/f.wAv", false}, {"/m/g.ogg", false}, {"/m/noext", false},
    };
    std::stringstream stream;
    {
        CArchive out(static_cast<std::ostream&>(stream));
        for (const auto& [path, mpeg] : paths) {
            out << path;
        }
    }
    CArchive in(static_cast<std::istream&>(stream));
    for (const auto& [path, mpeg] : paths) {
        CAudioTrack track;
        EXPECT_EQ(track.GetFile(), nullptr);
        EXPECT_EQ(track.GetLengthInFrames(), 0);
        track.Serialize(in);
        ASSERT_NE(track.GetFile(), nullptr) << path;
        EXPECT_EQ(track.GetFileName(), path);
        EXPECT_EQ(dynamic_cast<CAudioMpegFile*>(track.GetFile()) != nullptr, mpeg) << path;
        EXPECT_EQ(dynamic_cast<CAudioWaveFile*>(track.GetFile()) != nullptr, !mpeg) << path;

        // Storing the loaded track writes the same string back.
        std::stringstream again;
        CArchive store(static_cast<std::ostream&>(again));
        track.Serialize(store);
        CArchive reload(static_cast<std::istream&>(again));
        std::string text;
        reload >> text;
        EXPECT_EQ(text, path);
    }
}

TEST(AudioTrackArchive, DamagedArchivesAreRefused) {
    std::stringstream empty;
    CArchive in(static_cast<std::istream&>(empty));
    CAudioTrack track;
    EXPECT_THROW(track.Serialize(in), CArchiveException);

    std::stringstream shortString(
        std::string("\x10\x00\x00\x00"
                    "abc",
                    7));
    CArchive in2(static_cast<std::istream&>(shortString));
    EXPECT_THROW(track.Serialize(in2), CArchiveException);

    std::stringstream huge(std::string("\xFF\xFF\xFF\xFF", 4));
    CArchive in3(static_cast<std::istream&>(huge));
    EXPECT_THROW(track.Serialize(in3), CArchiveException);
}

TEST(LengthInFrames, TrackAndDiscTrackFactors) {
    auto counting = std::make_unique<CCountingFile>();
    CCountingFile* file = counting.get();
    CAudioTrack track(std::move(counting));
    file->length = 1000;
    EXPECT_EQ(track.GetLengthInFrames(), 75);
    file->length = 13;
    EXPECT_EQ(track.GetLengthInFrames(), 0);
    file->length = 14;
    EXPECT_EQ(track.GetLengthInFrames(), 1);
    // The track factor is 0.07500001875...: 3 999 999 ms gives 300 000 frames, not 299 999.
    file->length = 3999999;
    EXPECT_EQ(track.GetLengthInFrames(), 300000);

    CDiscAudioTrack disc;
    EXPECT_EQ(disc.GetLengthInFrames(), 0);
    auto discFile = std::make_unique<CCountingFile>();
    CCountingFile* df = discFile.get();
    disc.SetFile(std::move(discFile));
    df->length = 1000;
    EXPECT_EQ(disc.GetLengthInFrames(), 75);
    // Where the two factors part: 0.0750001875... against 0.07500001875...
    df->length = 399999;
    EXPECT_EQ(disc.GetLengthInFrames(), 30000);
    file->length = 399999;
    EXPECT_EQ(track.GetLengthInFrames(), 29999);
}

TEST(DiscTrack, SetFileBindsByTheArchiveRuleAndForwardsReads) {
    CDiscAudioTrack disc;
    disc.SetFile("/none/a.MP3");
    EXPECT_NE(dynamic_cast<CAudioMpegFile*>(disc.GetFile()), nullptr);
    disc.SetFile("/none/b.flac");
    EXPECT_NE(dynamic_cast<CAudioWaveFile*>(disc.GetFile()), nullptr);
    EXPECT_EQ(disc.GetFile()->GetFileName(), "/none/b.flac");
    char buffer[16];
    EXPECT_EQ(disc.Read(1, 16, buffer, sizeof buffer), -1);  // nothing there to read
}

}  // namespace
}  // namespace sonvara::test
