#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "audio/mpegtags.h"
#include "jobs/strings.h"
#include "runs/movecorrupt.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "tracks/tagedit.h"
#include "tracks/tracklist.h"

namespace sonvara::test {
namespace {

TEST(Settings, AFreshProfileGivesTheDefaults) {
    CMemoryProfileStore store;
    CSettings s(store);
    EXPECT_EQ(s.GetTrackDir(), CSettings::DefaultTrackDir());
    EXPECT_EQ(s.GetWAVFormat(), 0);
    EXPECT_TRUE(s.GetID3Check());
    EXPECT_TRUE(s.GetNormalize());
    EXPECT_TRUE(s.GetConvertCorruptFiles());
    const EncoderProperties e = s.GetEncoderProperties();
    EXPECT_EQ(e.bitRateIndex, 2);
    EXPECT_EQ(e.qualityIndex, 0);
    EXPECT_TRUE(e.cbr);
    EXPECT_FALSE(e.vbr);
    EXPECT_FALSE(store.Has("GeneralProperties", "TrackDir"));  // reading writes nothing
}

TEST(Settings, HealingFlagsAndOutOfRangeIndexes) {
    CMemoryProfileStore store;
    CSettings s(store);
    s.SetTrackDir("");
    EXPECT_EQ(s.GetTrackDir(), CSettings::DefaultTrackDir());
    // Healed for the reader only; the profile keeps what it held.
    EXPECT_EQ(store.GetString("GeneralProperties", "TrackDir", "x"), "");
    store.SetInt("GeneralProperties", "WAVFormat", 7);
    EXPECT_NE(s.GetWAVFormat(), 0);  // compressed, like 1
    store.SetInt("EncoderProperties", "CBR", 5);
    EXPECT_TRUE(s.GetEncoderProperties().cbr);
    s.SetNormalize(0x100);  // the low byte is stored
    EXPECT_FALSE(s.GetNormalize());
    store.SetInt("EncoderProperties", "BitRate", 12);
    store.SetInt("EncoderProperties", "Quality", -1);
    EXPECT_EQ(s.GetEncoderProperties().bitRateIndex, 2);
    EXPECT_EQ(s.GetEncoderProperties().qualityIndex, 0);
    s.SetEncoderProperties({6, 2, false, true});
    EXPECT_EQ(store.GetInt("EncoderProperties", "BitRate", 0), 6);
    EXPECT_EQ(store.GetInt("EncoderProperties", "VBR", 0), 1);
    EXPECT_EQ(store.GetInt("EncoderProperties", "CBR", 1), 0);
}

TEST(Settings, ValuesThatCannotBeUsedAreNamedOnceAndReadAsTheirDefaults) {
    CMemoryProfileStore store;
    CSettings s(store);
    EXPECT_TRUE(s.InvalidValues().empty());
    store.SetString("EncoderProperties", "BitRate", "2147483647");
    store.SetString("EncoderProperties", "Quality", "-2147483648");
    store.SetString("GeneralProperties", "WAVFormat", "-7");
    store.SetString("GeneralProperties", "Normalize", std::string(10 << 20, 'y'));
    store.SetString("EncoderProperties", "CBR", "x");  // read as its default: on
    store.SetString("EncoderProperties", "VBR", "1");
    const EncoderProperties e = s.GetEncoderProperties();
    EXPECT_EQ(e.bitRateIndex, 2);
    EXPECT_EQ(e.qualityIndex, 0);
    // CBR and VBR both on: the VBR flag decides, for the runs and the sheet alike.
    EXPECT_TRUE(e.vbr);
    EXPECT_FALSE(e.cbr);
    EXPECT_EQ(s.GetWAVFormat(), 0);
    EXPECT_TRUE(s.GetNormalize());
    const std::vector<std::string> problems = s.InvalidValues();
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_EQ(problems[0],
              "The setting GeneralProperties/WAVFormat=-7 cannot be used; the default 0 is used "
              "instead.");
    EXPECT_NE(problems[1].find("Normalize=yyyy"), std::string::npos);
    EXPECT_NE(problems[1].find("(10485760 bytes)"), std::string::npos);
    EXPECT_LT(problems[1].size(), 200u);  // a huge value never makes a huge message
    EXPECT_NE(problems[2].find("BitRate=2147483647"), std::string::npos);
    EXPECT_NE(problems[3].find("Quality=-2147483648"), std::string::npos);
    EXPECT_NE(problems[4].find("CBR=x"), std::string::npos);
    EXPECT_EQ(problems[5],
              "The settings EncoderProperties/CBR, EncoderProperties/VBR contradict each other; "
              "VBR is used.");
}

// Loudness normalisation lives under keys of its own: a profile without them (every older
// one) normalises by peak as before, and a target outside the four reads as -18.
TEST(Settings, LoudnessNormalisationKeys) {
    CMemoryProfileStore store;
    CSettings s(store);
    store.SetInt("GeneralProperties", "Normalize", 1);
    EXPECT_EQ(s.GetNormalizeMode(), NormalizeMode::kPeak);
    EXPECT_EQ(s.GetLoudnessTarget(), -18);
    s.SetNormalizeMode(NormalizeMode::kLoudness);
    s.SetLoudnessTarget(-14);
    EXPECT_EQ(store.GetInt("GeneralProperties", "NormalizeMode", 0), 1);
    EXPECT_EQ(s.GetLoudnessTarget(), -14);
    EXPECT_TRUE(s.GetNormalize());  // the switch itself is unchanged
    store.SetInt("GeneralProperties", "LoudnessTarget", -20);
    store.SetInt("GeneralProperties", "NormalizeMode", 9);
    EXPECT_EQ(s.GetLoudnessTarget(), -18);
    EXPECT_EQ(s.GetNormalizeMode(), NormalizeMode::kPeak);
    const std::vector<std::string> named = s.InvalidValues();  // and both are named
    ASSERT_EQ(named.size(), 2u);
    EXPECT_NE(named[0].find("NormalizeMode=9"), std::string::npos);
    EXPECT_NE(named[1].find("LoudnessTarget=-20"), std::string::npos);
}

TrackInfo FakeReader(const std::string& path) {
    TrackInfo info;
    if (path.find("broken") != std::string::npos) {
        throw std::runtime_error("cannot read");
    }
    if (path.find("empty") == std::string::npos) {
        info.lengthMs = 125500;
        info.title = "T " + path;
        info.artist = "A";
        info.album = std::string(300, 'x');
    }
    return info;
}

TEST(TrackList, AddingSkipsListedPathsUnreadableFilesAndKeepsCounts) {
    CTrackList list;
    AddOptions options;
    options.reader = FakeReader;
    std::vector<int> progress;
    options.progress = [&](int p) { progress.push_back(p); };
    std::vector<std::string> paths;
    for (int i = 0; i < 25; ++i) {
        paths.push_back("/m/" + std::to_string(i) + (i % 3 == 0 ? ".wav" : ".Mp3"));
    }
    auto results = list.AddTracks(paths, options);
    EXPECT_EQ(list.GetTrackCount(), 25u);
    EXPECT_EQ(progress, (std::vector<int>{0, 40, 80}));
    EXPECT_EQ(list.GetWavCount(), 9);
    EXPECT_EQ(list.GetMp3Count(), 16);
    EXPECT_EQ(list.At(0).lengthText, "2:05");
    EXPECT_EQ(list.At(0).lengthSeconds, 125);
    EXPECT_EQ(list.At(0).album.size(), 127u);

    results = list.AddTracks({"/m/1.Mp3", "/m/1.MP3", "/m/empty.mp3", "/m/broken.mp3", "/m/x.flac"},
                             options);
    EXPECT_EQ(results[0].outcome, AddOutcome::kAlreadyListed);
    EXPECT_EQ(results[1].outcome, AddOutcome::kAdded);  // letter case makes another track
    EXPECT_EQ(results[2].outcome, AddOutcome::kUnreadable);
    EXPECT_EQ(results[3].outcome, AddOutcome::kUnreadable);
    EXPECT_EQ(results[3].reason, "cannot read");
    EXPECT_EQ(results[4].outcome, AddOutcome::kAdded);
    EXPECT_EQ(list.GetWavCount(), 10);  // any other extension counts as WAV

    options.readTags = false;
    list.AddTracks({"/m/notags.mp3"}, options);
    EXPECT_EQ(list.At(list.GetTrackCount() - 1).title, "");

    std::atomic<bool> cancel{true};
    options.cancel = &cancel;
    results = list.AddTracks({"/m/c1.mp3", "/m/c2.mp3"}, options);
    EXPECT_EQ(results[0].outcome, AddOutcome::kCancelled);
    EXPECT_EQ(results[1].outcome, AddOutcome::kCancelled);
}

TEST(TrackList, RemoveReorderAndTheReportText) {
    CTrackList list;
    AddOptions options;
    options.reader = FakeReader;
    list.AddTracks({"/a.mp3", "/b.mp3", "/c.wav", "/d.mp3", "/e.mp3"}, options);
    list.RemoveTracksAt({1, 3});
    ASSERT_EQ(list.GetTrackCount(), 3u);
    EXPECT_EQ(list.At(1).path, "/c.wav");
    EXPECT_FALSE(list.ContainsPath("/b.mp3"));
    EXPECT_EQ(list.GetMp3Count(), 2);
    list.ReorderByPaths({"/e.mp3", "/a.mp3", "/c.wav"});
    EXPECT_EQ(list.At(0).path, "/e.mp3");
    list.At(0).checkState = AnalysedCorrupt;
    list.At(0).convertState = ConvertedMp3ToWav;
    list.RemoveTracksAt({1, 2});
    EXPECT_EQ(list.ReportText(),
              "Analysis Results:\n\n"
              "File: /e.mp3\nCheck: Corrupt\nConvert: MP3 -> WAV\nTitle: T /e.mp3\nArtist: A\n"
              "Album: " +
                  std::string(127, 'x') + "\nLength: 2:05\n\n");
    CTempDir dir;
    std::string error;
    EXPECT_FALSE(list.WriteReport(dir.File("r.log"), &error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.log")));
    EXPECT_TRUE(list.WriteReport(dir.File("r.TXT"), &error));
    const Bytes written = ReadFile(dir.File("r.TXT"));
    EXPECT_EQ(std::string(written.begin(), written.end()), list.ReportText());
    EXPECT_FALSE(list.WriteReport(dir.File("no/such/r.txt"), &error));
    EXPECT_NE(error, "");
}

// Adding a batch to a full list reads each new file once and never one that is listed (how
// the cost grows with the list is measured in bench/tracklist_bench.cpp).
TEST(TrackList, AddingToAFullListReadsOnlyTheNewFilesOnce) {
    CTrackList list;
    AddOptions options;
    std::unordered_map<std::string, int> reads;
    options.reader = [&](const std::string& path) {
        ++reads[path];
        TrackInfo info;
        info.lengthMs = 1000;
        return info;
    };
    std::vector<std::string> paths;
    for (int i = 0; i < 20000; ++i) {
        paths.push_back("/music/" + std::to_string(i) + ".mp3");
    }
    list.AddTracks(paths, options);
    std::vector<std::string> mixed = paths;  // every listed path again, and as many new ones
    for (int i = 0; i < 20000; ++i) {
        mixed.push_back("/music/" + std::to_string(i) + "x.mp3");
    }
    const std::vector<AddResult> results = list.AddTracks(mixed, options);
    EXPECT_EQ(list.GetTrackCount(), 40000u);
    EXPECT_EQ(reads.size(), 40000u);
    for (const auto& [path, count] : reads) {
        ASSERT_EQ(count, 1) << path;
    }
    ASSERT_EQ(results.size(), mixed.size());
    EXPECT_EQ(results[0].outcome, AddOutcome::kAlreadyListed);
    EXPECT_EQ(results[20000].outcome, AddOutcome::kAdded);
}

TEST(TrackList, MovingCorruptFilesAsksBeforeReplacingAndKeepsWhatItCannotMove) {
    CTempDir dir;
    std::filesystem::create_directories(dir.File("src"));
    std::filesystem::create_directories(dir.File("dst"));
    CTrackList list;
    AddOptions options;
    options.reader = FakeReader;
    const std::vector<std::string> names = {"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
    std::vector<std::string> paths;
    for (const auto& n : names) {
        WriteFile(dir.File("src/" + n), {1, 2, 3});
        paths.push_back(dir.File("src/" + n));
    }
    list.AddTracks(paths, options);
    for (std::size_t i = 0; i < 3; ++i) {
        list.At(i).checkState = AnalysedCorrupt;
    }
    WriteFile(dir.File("dst/b.mp3"), {9});
    std::filesystem::remove(dir.File("src/c.mp3"));  // vanished: the move fails
    CRecordingHost host;
    host.answers = {Answer::kCancel};  // keeps b.mp3, as No does, and the move goes on
    EXPECT_EQ(MoveCorruptFiles(list, dir.File("dst"), host), 1u);
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_NE(host.questions[0].find("already exists, should it overwrite ?"), std::string::npos);
    // Each file not moved is reported with its reason: b.mp3 (Cancel), c.mp3 (vanished).
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(host.errors.size(), 2u);
    EXPECT_EQ(host.errors[0].first, dir.File("src/b.mp3"));
    EXPECT_EQ(host.errors[1].first, dir.File("src/c.mp3"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("dst/a.mp3")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("src/a.mp3")));
    EXPECT_EQ(ReadFile(dir.File("dst/b.mp3")), (Bytes{9}));  // Cancel kept it
    ASSERT_EQ(list.GetTrackCount(), 3u);
    EXPECT_EQ(list.At(0).path, dir.File("src/b.mp3"));

    host.answers = {Answer::kYes};
    EXPECT_EQ(MoveCorruptFiles(list, dir.File("dst"), host), 1u);
    EXPECT_EQ(ReadFile(dir.File("dst/b.mp3")), (Bytes{1, 2, 3}));
    EXPECT_EQ(list.GetMp3Count(), 2);
}

}  // namespace
}  // namespace sonvara::test

namespace sonvara::test {
namespace {

// Editing a track's tags writes them into the file and gives the record what the file holds;
// a failure leaves the record as it was and says why.
TEST(TagEdit, TheRecordGetsWhatTheFileNowHolds) {
    ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
    CTempDir dir;
    const std::string wav = SynthWav(dir.File("s.wav"), "-r 44100 -c 2", "1 sine 440");
    const std::string v2 = LameEncode(wav, dir.File("v2.mp3"), "-b 128 --add-id3v2 --tt Old");
    TrackRecord record;
    record.path = v2;
    record.SetTitle("Old");
    std::string error;
    const std::string title = "F\xC3\xBCr Elise \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC";
    ASSERT_TRUE(EditTrackTags(record, title, "Artist", std::string(200, 'a'), &error)) << error;
    EXPECT_EQ(record.title, title);  // ID3v2 keeps every character
    EXPECT_EQ(record.artist, "Artist");
    EXPECT_EQ(record.album, std::string(127, 'a'));
    EXPECT_EQ(ReadMpegTags(v2).title, title);

    // A file with only an ID3v1 tag keeps 30 Latin-1 bytes: the record shows that.
    const std::string v1 = LameEncode(wav, dir.File("v1.mp3"), "-b 128 --id3v1-only --tt Old");
    record.path = v1;
    ASSERT_TRUE(EditTrackTags(record, std::string(40, 't'), "A", "B", &error)) << error;
    EXPECT_EQ(record.title, std::string(30, 't'));

    // The WAV kind keeps its texts in chunks after the audio.
    const std::string wavCopy = dir.File("w.wav");
    std::filesystem::copy_file(wav, wavCopy);
    record.path = wavCopy;
    ASSERT_TRUE(EditTrackTags(record, "Wave title", "A", "B", &error)) << error;
    EXPECT_EQ(record.title, "Wave title");

    TrackRecord missing;
    missing.path = dir.File("gone.mp3");
    missing.SetTitle("Kept");
    EXPECT_FALSE(EditTrackTags(missing, "New", "", "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(missing.title, "Kept");
}

// The counts follow every change of the list: states set through it, reorders that drop
// records, removals, and a recount after records were changed in place.
TEST(TrackList, TheCountsFollowEveryChange) {
    CTrackList list;
    AddOptions options;
    options.reader = FakeReader;
    list.AddTracks({"/a.mp3", "/b.wav", "/c.mp3", "/d.wav"}, options);
    list.SetStates(list.At(0), AnalysedCorrupt, NotConverted);
    list.SetStates(list.At(2), AnalysedCorrupt, NotConverted);
    list.SetStates(list.At(2), AnalysedCorrupt, CannotConvert);  // still one corrupt track
    list.SetStates(list.At(1), AnalysedCorrupt, NotConverted);
    EXPECT_EQ(list.GetCorruptCount(), 3);
    list.SetStates(list.At(0), AnalysedOk, ConvertedMp3ToWav);
    EXPECT_EQ(list.GetCorruptCount(), 2);

    list.ReorderByPaths({"/d.wav", "/a.mp3", "/c.mp3"});
    EXPECT_EQ(list.GetTrackCount(), 3u);
    EXPECT_EQ(list.GetMp3Count(), 2);
    EXPECT_EQ(list.GetWavCount(), 1);
    EXPECT_EQ(list.GetCorruptCount(), 1);  // /b.wav dropped out
    EXPECT_EQ(list.At(0).path, "/d.wav");
    EXPECT_FALSE(list.ContainsPath("/b.wav"));

    list.RemoveTracksAt({2});
    EXPECT_EQ(list.GetCorruptCount(), 0);
    EXPECT_EQ(list.GetMp3Count(), 1);
    list.At(0).checkState = AnalysedCorrupt;
    list.RecountTypes();
    EXPECT_EQ(list.GetCorruptCount(), 1);
    list.RemoveTracksAt({0, 1});
    EXPECT_EQ(list.GetTrackCount(), 0u);
    EXPECT_EQ(list.GetCorruptCount(), 0);
    EXPECT_EQ(list.GetMp3Count() + list.GetWavCount(), 0);
}

// The core's texts come from the table a list or run is given: states, report labels and result
// lines in that table's language; another list beside it keeps English.
TEST(Strings, ATablesLookupTranslatesTheCoresTextsForWhatItIsGivenTo) {
    const CStrings german([](StringId id, const char* text) -> std::string {
        switch (id) {
            case StringId::kCheckOk: return "in Ordnung";
            case StringId::kReportTitle: return "Analyseergebnisse";
            case StringId::kListColumns:
                return "Datei;Pr\xC3\xBC"
                       "fung;Konvertierung;Titel;Interpret;Album;L\xC3\xA4nge;Pfad;";
            case StringId::kLineCorrupt: return "        ===> DATEI DEFEKT!!! %s Bitte umwandeln.";
            default: return text;
        }
    });
    CTrackList list(german);
    CTrackList english;
    AddOptions options;
    options.reader = FakeReader;
    list.AddTracks({"/a.mp3"}, options);
    english.AddTracks({"/a.mp3"}, options);
    list.At(0).checkState = AnalysedOk;
    english.At(0).checkState = AnalysedOk;
    EXPECT_EQ(list.ReportText().rfind("Analyseergebnisse:\n\nDatei: /a.mp3\nPr\xC3\xBC"
                                      "fung: in Ordnung\n",
                                      0),
              0u);
    EXPECT_EQ(german.Text(StringId::kLineCorrupt, ""),
              "        ===> DATEI DEFEKT!!!  Bitte umwandeln.");
    EXPECT_EQ(CheckStateText(AnalysedOk, german), "in Ordnung");
    EXPECT_EQ(english.ReportText().rfind("Analysis Results:\n\nFile: /a.mp3\nCheck: OK\n", 0), 0u);
    EXPECT_EQ(EnglishStrings().Text(StringId::kAskOverwrite, "/x.wav"),
              "The file \n/x.wav\nalready exists, should it overwrite ?");
}

TEST(TrackList, ReorderingByRecordsFollowsAViewsOrder) {
    CTrackList list;
    for (const char* path : {"/a.mp3", "/b.wav", "/c.mp3"}) {
        auto record = std::make_unique<TrackRecord>();
        record->path = path;
        list.Append(std::move(record));
    }
    const TrackRecord* a = &list.At(0);
    const TrackRecord* c = &list.At(2);
    TrackRecord stranger;
    list.ReorderByRecords({c, &stranger, a});  // b is not named: it drops out
    ASSERT_EQ(list.GetTrackCount(), 2u);
    EXPECT_EQ(&list.At(0), c);
    EXPECT_EQ(&list.At(1), a);
    EXPECT_FALSE(list.ContainsPath("/b.wav"));
    EXPECT_TRUE(list.ContainsPath("/a.mp3"));
}

}  // namespace
}  // namespace sonvara::test
