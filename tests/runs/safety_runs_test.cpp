// The runs' promises about the user's files and about what they report, at the run's level:
// stops leave nothing cut, questions skip or end what they should, measurements that fail say so,
// and every writer replaces files without writing through them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "audio/audiowavefile.h"
#include "audio/mpegtags.h"
#include "jobs/runhost.h"
#include "runs/analysisrun.h"
#include "runs/conversionrun.h"
#include "support/encoders.h"
#include "support/filesnapshot.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"
#include "tracks/tracklist.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

class RunSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
        for (int i = 0; i < 3; ++i) {
            SynthWav(m_Dir.File("w" + std::to_string(i) + ".wav"), "-r 44100 -c 2",
                     "3 sine " + std::to_string(300 + 100 * i));
        }
        LameEncode(m_Dir.File("w0.wav"), m_Dir.File("m.mp3"), "-b 128");
    }
    std::vector<TrackRecord*> Records(const std::vector<std::string>& names) {
        m_Records.clear();
        m_Records.reserve(names.size());
        for (const auto& n : names) {
            TrackRecord r;
            r.path = m_Dir.File(n);
            m_Records.push_back(r);
        }
        std::vector<TrackRecord*> out;
        for (auto& r : m_Records) {
            out.push_back(&r);
        }
        return out;
    }
    ConversionSettings Settings() const {
        ConversionSettings s;
        s.trackDir = m_Dir.File("out");
        s.normalize = true;
        return s;
    }
    bool Has(const std::vector<std::string>& texts, const std::string& part) const {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.find(part) != std::string::npos; });
    }

    CTempDir m_Dir;
    std::vector<TrackRecord> m_Records;
};

TEST_F(RunSafety, FreeSpaceThatCannotBeMeasuredIsSaidSoAndTheRunGoesOn) {
    const auto list = Records({"w0.wav", "w1.wav"});
    CRecordingHost host(list);
    CConversionRun run(ConversionMode::kWavToMp3, host);
    run.freeSpace = [](const std::string&) { return std::optional<double>(); };
    ASSERT_TRUE(run.Start(Settings(), list));
    run.Walk(list);
    ASSERT_EQ(host.messages.size(), 1u);  // once per run
    EXPECT_NE(host.messages[0].find("cannot be measured"), std::string::npos);
    EXPECT_FALSE(Has(host.messages, "Not enough disk free space"));
    EXPECT_EQ(m_Records[0].convertState, ConvertedWavToMp3);
    EXPECT_EQ(m_Records[1].convertState, ConvertedWavToMp3);
}

TEST_F(RunSafety, CancelAtTheOverwriteQuestionSkipsThatTrackAndOnlyAStopEndsTheRun) {
    for (const Answer answer : {Answer::kCancel, Answer::kStop}) {
        for (unsigned threads : {1u, 2u}) {
            const bool stop = answer == Answer::kStop;
            SCOPED_TRACE(std::to_string(threads) + (stop ? " stop" : " cancel"));
            fs::remove_all(m_Dir.File("out"));
            fs::create_directories(m_Dir.File("out"));
            WriteFile(m_Dir.File("out/w1.mp3"), {1});
            const auto list = Records({"w0.wav", "w1.wav", "w2.wav"});
            CRecordingHost host(list);
            host.answers = {answer};
            CConversionRun run(ConversionMode::kWavToMp3, host);
            ASSERT_TRUE(run.Start(Settings(), list));
            run.Walk(list, threads);
            EXPECT_EQ(host.questions.size(), 1u);
            EXPECT_EQ(m_Records[0].convertState, ConvertedWavToMp3);
            EXPECT_EQ(m_Records[1].convertState, NotConverted);
            EXPECT_EQ(ReadFile(m_Dir.File("out/w1.mp3")), (Bytes{1}));
            EXPECT_EQ(m_Records[2].convertState, stop ? NotConverted : ConvertedWavToMp3);
            EXPECT_EQ(fs::exists(m_Dir.File("out/w2.mp3")), !stop);
            ASSERT_FALSE(host.lines.empty());
            EXPECT_EQ(host.lines.back().first == "Aborted at user request!", stop);
        }
    }
}

TEST_F(RunSafety, AStopInsideATrackLeavesNoOutputNoTemporaryFileAndTheStatesAsTheyWere) {
    for (ConversionMode mode :
         {ConversionMode::kWavToMp3, ConversionMode::kMp3ToWav, ConversionMode::kMp3ToMp3}) {
        for (int stopAfter : {1, 3, 6}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + " after " +
                         std::to_string(stopAfter));
            fs::remove_all(m_Dir.File("out"));
            const auto list = Records({mode == ConversionMode::kWavToMp3 ? "w0.wav" : "m.mp3"});
            m_Records[0].convertState = ReencodedMp3;  // from an earlier run
            const FileSnapshot before = TakeSnapshot(m_Dir.Path());
            CRecordingHost host(list);
            host.abortAfterProgress = stopAfter;
            CConversionRun run(mode, host);
            ASSERT_TRUE(run.Start(Settings(), list));
            run.Walk(list);
            if (m_Records[0].convertState == ReencodedMp3) {
                // Stopped inside: the output is absent, not cut short.
                EXPECT_TRUE(fs::is_empty(m_Dir.File("out")));
                EXPECT_EQ(host.LineTexts().back(), "Aborted at user request!");
            } else {
                EXPECT_EQ(fs::file_size(run.OutputName(m_Records[0].path)) > 1000, true);
            }
            EXPECT_TRUE(TempFilesUnder(m_Dir.File("out")).empty());
            fs::remove_all(m_Dir.File("out"));
            EXPECT_EQ(SnapshotDifference(before, TakeSnapshot(m_Dir.Path())), "");
        }
    }
}

TEST_F(RunSafety, AnOutputThatCannotBeWrittenGivesItsReasonNeverOkAndTheNextTrackIsConverted) {
    fs::create_directories(m_Dir.File("out/m.wav"));  // a folder in the output's place
    LameEncode(m_Dir.File("w1.wav"), m_Dir.File("n.mp3"), "-b 128");
    const auto list = Records({"m.mp3", "n.mp3"});
    CRecordingHost host(list);
    host.answers = {Answer::kYes};
    CConversionRun run(ConversionMode::kMp3ToWav, host);
    ASSERT_TRUE(run.Start(Settings(), list));
    run.Walk(list);
    const std::vector<std::string> lines = host.LineTexts();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], m_Dir.File("m.mp3"));
    EXPECT_EQ(lines[1].rfind("        ===> NOT CONVERTED: " + m_Dir.File("out/m.wav") + ": ", 0),
              0u)
        << lines[1];
    EXPECT_EQ(m_Records[0].checkState, AnalysedOk);  // the check's verdict stands
    EXPECT_EQ(m_Records[0].convertState, CannotConvert);
    EXPECT_EQ(m_Records[1].convertState, ConvertedMp3ToWav);
    EXPECT_TRUE(fs::is_directory(m_Dir.File("out/m.wav")));
    EXPECT_TRUE(TempFilesUnder(m_Dir.File("out")).empty());
}

TEST_F(RunSafety, ASourceThatCannotBeOpenedIsNotCalledCorrupt) {
    fs::create_directories(m_Dir.File("folder.wav"));
    const auto list = Records({"folder.wav", "w0.wav"});
    CRecordingHost host(list);
    CConversionRun run(ConversionMode::kWavToMp3, host);
    ASSERT_TRUE(run.Start(Settings(), list));
    run.Walk(list);
    const std::vector<std::string> lines = host.LineTexts();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("        ===> NOT CONVERTED: " + m_Dir.File("folder.wav") + ": ", 0),
              0u)
        << lines[1];
    EXPECT_FALSE(Has(lines, "FILE CORRUPT"));
    EXPECT_EQ(m_Records[0].checkState, NotAnalysed);
    EXPECT_EQ(m_Records[0].convertState, CannotConvert);
    EXPECT_EQ(m_Records[1].convertState, ConvertedWavToMp3);
}

// MP3 -> WAV judges its sources as the analysis does: a source that cannot be read is not
// corrupt in either run, and both give the same reason.
TEST_F(RunSafety, AnUnreadableMp3IsNotCorruptInTheAnalysisNorInMp3ToWav) {
    fs::create_directories(m_Dir.File("folder.mp3"));
    WriteFile(m_Dir.File("text.mp3"), Bytes(5000, 'x'));
    const std::vector<std::string> names = {"folder.mp3", "text.mp3", "m.mp3"};
    CRecordingHost analysis(Records(names));
    RunAnalysis(analysis.tracks, analysis);
    ASSERT_EQ(analysis.errors.size(), 2u);
    for (const bool convertCorrupt : {true, false}) {
        fs::remove_all(m_Dir.File("out"));
        const auto list = Records(names);
        CRecordingHost host(list);
        CConversionRun run(ConversionMode::kMp3ToWav, host);
        ConversionSettings s = Settings();
        s.normalize = false;
        s.convertCorrupt = convertCorrupt;
        ASSERT_TRUE(run.Start(s, list));
        run.Walk(list);
        const std::vector<std::string> lines = host.LineTexts();
        ASSERT_EQ(lines.size(), 6u);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(lines[2 * i], m_Dir.File(names[i]));
            EXPECT_EQ(lines[2 * i + 1], "        ===> NOT CONVERTED: " + analysis.errors[i].second);
            EXPECT_EQ(m_Records[i].checkState, NotAnalysed);
            EXPECT_EQ(m_Records[i].convertState, CannotConvert);
        }
        EXPECT_FALSE(Has(lines, "CORRUPT"));
        EXPECT_EQ(m_Records[2].convertState, ConvertedMp3ToWav);  // the run goes on
    }
}

TEST(TagSaving, ChangesTheFileUnderEveryNameKeepingItsMode) {
    ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
    CTempDir dir;
    const std::string wav = SynthWav(dir.File("a.wav"), "-r 44100 -c 2", "1 sine 440");
    const std::string mp3 = LameEncode(wav, dir.File("a.mp3"), "-b 128 --add-id3v2 --tt Old");
    for (const std::string& path : {wav, mp3}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        const std::string other = path + ".hardlink";
        fs::create_hard_link(path, other);
        const Bytes before = ReadFile(path);
        if (path == wav) {
            CAudioWaveFile file;
            file.SetFileName(path);
            ASSERT_TRUE(file.IsValid());
            file.SetTitle("New");
            file.SaveTags();
        } else {
            SaveMpegTags(path, {"New", "", ""});
        }
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_NE(ReadFile(path), before);
        EXPECT_EQ(ReadFile(other), ReadFile(path));  // written in place: both names see it
        EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());
    }
    // Through a link: the link stays a link and its target gets the tags.
    fs::create_directories(dir.File("real"));
    fs::copy_file(wav, dir.File("real/b.wav"));
    fs::create_symlink(dir.File("real/b.wav"), dir.File("b.wav"));
    const FileSnapshot real = TakeSnapshot(dir.File("real"));
    CAudioWaveFile link;
    link.SetFileName(dir.File("b.wav"));
    ASSERT_TRUE(link.IsValid());
    link.SetTitle("Linked");
    link.SaveTags();
    EXPECT_TRUE(fs::is_symlink(dir.File("b.wav")));
    EXPECT_NE(SnapshotDifference(real, TakeSnapshot(dir.File("real"))), "");
    CAudioWaveFile target;
    target.SetFileName(dir.File("real/b.wav"));
    ASSERT_TRUE(target.IsValid());
    EXPECT_EQ(target.GetTitle(), "Linked");
}

TEST(Report, ATagWithLineBreaksStaysInsideItsTrackOfSevenLines) {
    CTrackList list;
    AddOptions options;
    options.reader = [](const std::string& path) {
        TrackInfo info;
        info.lengthMs = 61000;
        if (path.find("odd") != std::string::npos) {
            info.title = "one\ntwo\r\nthree";
            info.artist = std::string("bell\x07", 5);
            info.album = "tab\there";
        }
        return info;
    };
    options.readTags = true;
    list.AddTracks({"/music/odd\nname.mp3", "/music/plain.mp3"}, options);
    const std::string text = list.ReportText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 2 * 8);
    EXPECT_NE(text.find("File: /music/odd\\nname.mp3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Title: one\\ntwo\\r\\nthree\nArtist: bell\\x07\nAlbum: tab\\there\n"),
              std::string::npos)
        << text;
}

}  // namespace
}  // namespace sonvara::test
