// The analysis and conversion runs, driven the way the window and the batch front end drive
// them, with a host that records what they show and answers what they ask.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "jobs/runhost.h"
#include "runs/addtracks.h"
#include "runs/analysisrun.h"
#include "runs/conversionrun.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"
#include "tracks/tracklist.h"

namespace sonvara::test {
namespace {

std::vector<TrackRecord*> Pointers(std::vector<TrackRecord>& records) {
    std::vector<TrackRecord*> out;
    for (auto& r : records) {
        out.push_back(&r);
    }
    return out;
}

TrackRecord Record(const std::string& path) {
    TrackRecord r;
    r.path = path;
    return r;
}

class Runs : public ::testing::Test {
protected:
    void SetUp() override {
        const Bytes good = MakeStream(FrameShape{}, 40);
        Bytes bad = good;
        bad.erase(bad.begin() + 3000, bad.begin() + 3100);
        for (int i = 1; i <= 4; ++i) {
            WriteFile(m_Dir.File("g" + std::to_string(i) + ".mp3"), good);
        }
        WriteFile(m_Dir.File("bad.Mp3"), bad);
        WriteFile(m_Dir.File("x.mp2"), good);
    }
    CTempDir m_Dir;
};

TEST_F(Runs, AnalysisChecksUncheckedMp3sOnceWithTwoLinesEach) {
    std::vector<TrackRecord> records = {Record(m_Dir.File("g1.mp3")), Record(m_Dir.File("bad.Mp3")),
                                        Record(m_Dir.File("x.mp2")), Record(m_Dir.File("g2.mp3"))};
    records[3].checkState = AnalysedOk;
    CRecordingHost host;
    host.tracks = Pointers(records);
    RunAnalysis(Pointers(records), host);
    EXPECT_EQ(records[0].checkState, AnalysedOk);
    EXPECT_EQ(records[1].checkState, AnalysedCorrupt);
    EXPECT_EQ(records[2].checkState, NotAnalysed);  // .mp2 is not taken
    ASSERT_EQ(host.lines.size(), 4u);
    EXPECT_EQ(host.lines[1], std::make_pair(std::string("        ===> File OK! "), 0u));
    EXPECT_EQ(host.lines[2], std::make_pair(m_Dir.File("bad.Mp3"), 255u));
    EXPECT_EQ(host.lines[3].first, "        ===> FILE CORRUPT!!!  Please convert.");
    EXPECT_EQ(host.ended, 1);
    CRecordingHost again;
    again.tracks = Pointers(records);
    RunAnalysis(Pointers(records), again);
    EXPECT_TRUE(again.lines.empty());
    EXPECT_EQ(again.ended, 1);
}

// The texts of a run, down to the frame walk's findings and a conversion's reasons on the
// workers of a parallel walk, come from the table its host gives; English ones would mean a part
// reached for another.
TEST_F(Runs, RunTextsComeFromTheHostsTableAlsoOnTheWorkers) {
    const CStrings marked(
        [](StringId, const char* english) { return std::string("[") + english + "]"; });
    std::vector<TrackRecord> records = {Record(m_Dir.File("g1.mp3")), Record(m_Dir.File("bad.Mp3")),
                                        Record(m_Dir.File("g2.mp3"))};
    for (const unsigned threads : {1u, 2u}) {
        for (TrackRecord& r : records) {
            r.checkState = NotAnalysed;
        }
        CRecordingHost host;
        host.strings = &marked;
        host.tracks = Pointers(records);
        std::vector<std::string> findings;
        RunAnalysis(Pointers(records), host, threads,
                    [&](std::size_t, const CheckVerdict& verdict) {
                        for (const Finding& f : verdict.findings) {
                            findings.push_back(f.text);
                        }
                    });
        ASSERT_FALSE(findings.empty()) << threads;
        for (const std::string& text : findings) {
            EXPECT_EQ(text.front(), '[') << threads << ": " << text;
        }
        ASSERT_FALSE(host.stages.empty());
        EXPECT_EQ(host.stages.front(), "[Analyzing]");
        const std::vector<std::string> lines = host.LineTexts();
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "[        ===> FILE CORRUPT!!!  Please convert.]"),
                  lines.end())
            << threads;
    }
    // Two sources of one name in two folders: the second's output would be the first's.
    std::filesystem::create_directories(m_Dir.File("a"));
    std::filesystem::create_directories(m_Dir.File("b"));
    const std::string first = SynthWav(m_Dir.File("a/same.wav"), "-r 44100 -c 2", "0.2 sine 440");
    const std::string second = SynthWav(m_Dir.File("b/same.wav"), "-r 44100 -c 2", "0.2 sine 440");
    std::vector<TrackRecord> wavs = {Record(first), Record(second)};
    CRecordingHost host;
    host.strings = &marked;
    host.tracks = Pointers(wavs);
    CConversionRun convert(ConversionMode::kWavToMp3, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(convert.Start(s, Pointers(wavs)));
    convert.Walk(Pointers(wavs), 2);
    std::vector<std::string> reasons = host.LineTexts();
    for (const auto& error : host.errors) {
        reasons.push_back(error.second);
    }
    std::erase_if(reasons, [](const std::string& t) {
        return t.find("is also the output of") == std::string::npos;
    });
    ASSERT_FALSE(reasons.empty());
    for (const std::string& reason : reasons) {
        // The reason inside the line is the worker's text: marked too.
        EXPECT_NE(reason.find("[" + m_Dir.File("out/same.mp3")), std::string::npos) << reason;
    }
}

TEST_F(Runs, ACancelDuringTheThirdFileLetsItFinish) {
    std::vector<TrackRecord> records;
    for (int i = 1; i <= 4; ++i) {
        records.push_back(Record(m_Dir.File("g" + std::to_string(i) + ".mp3")));
    }
    CRecordingHost host;
    host.abortDuringFile = 3;
    host.tracks = Pointers(records);
    RunAnalysis(Pointers(records), host);
    EXPECT_EQ(records[2].checkState, AnalysedOk);
    EXPECT_EQ(records[3].checkState, NotAnalysed);
    ASSERT_EQ(host.lines.size(), 7u);
    EXPECT_EQ(host.lines.back(), std::make_pair(std::string("Aborted at user request!"), 255u));

    std::vector<TrackRecord> three(records.begin(), records.begin() + 3);
    for (auto& r : three) {
        r.checkState = NotAnalysed;
    }
    CRecordingHost last;
    last.abortDuringFile = 3;
    last.tracks = Pointers(three);
    RunAnalysis(Pointers(three), last);
    EXPECT_EQ(last.lines.size(), 6u);  // the third was the last: no abort line
}

TEST_F(Runs, OutputNamesAndTheStartChecks) {
    CRecordingHost host;
    CConversionRun run(ConversionMode::kMp3ToWav, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out") + "/";
    std::vector<TrackRecord*> none;
    ASSERT_TRUE(run.Start(s, none));
    EXPECT_TRUE(std::filesystem::is_directory(m_Dir.File("out")));  // made at Start
    EXPECT_EQ(run.OutputName("/music/Song.Final.MP3"), m_Dir.File("out") + "/Song.Final.wav");
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(run.Start(s, none));
    EXPECT_EQ(run.OutputName("/music/Song.Final.MP3"), m_Dir.File("out") + "/Song.Final.wav");

    // A track directory that cannot be made: no start, and the reason.
    s.trackDir = m_Dir.File("g1.mp3") + "/sub";
    EXPECT_FALSE(run.Start(s, none));
    EXPECT_NE(host.messages.back().find("cannot be created"), std::string::npos);

    // MP3 -> MP3 into a source's own folder, however it is spelt, refuses to start.
    std::vector<TrackRecord> records = {Record(m_Dir.File("g1.mp3"))};
    CConversionRun reencode(ConversionMode::kMp3ToMp3, host);
    s.trackDir = m_Dir.Path() + "/./";
    EXPECT_FALSE(reencode.Start(s, Pointers(records)));
    EXPECT_NE(host.messages.back().find("ATTENTION"), std::string::npos);
    s.trackDir = m_Dir.File("out");
    EXPECT_TRUE(reencode.Start(s, Pointers(records)));
}

TEST_F(Runs, OverwriteNoLeavesEverythingAndDiskSpaceFactorsHold) {
    ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
    const std::string wav = SynthWav(m_Dir.File("w.wav"), "-r 44100 -c 2", "1 sine 440");
    std::filesystem::create_directories(m_Dir.File("out"));
    WriteFile(m_Dir.File("out/w.mp3"), {7});
    std::vector<TrackRecord> records = {Record(wav)};
    CRecordingHost host;
    CConversionRun run(ConversionMode::kWavToMp3, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(run.Start(s, Pointers(records)));
    host.tracks = Pointers(records);
    run.Walk(Pointers(records));
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_TRUE(host.lines.empty());
    EXPECT_EQ(records[0].convertState, NotConverted);
    EXPECT_EQ(ReadFile(m_Dir.File("out/w.mp3")), (Bytes{7}));

    // WAV -> MP3 needs a tenth of the source free.
    const double size = static_cast<double>(std::filesystem::file_size(wav));
    host.answers = {Answer::kYes};
    CConversionRun tight(ConversionMode::kWavToMp3, host);
    tight.freeSpace = [&](const std::string&) { return size * 0.1; };
    ASSERT_TRUE(tight.Start(s, Pointers(records)));
    host.tracks = Pointers(records);
    tight.Walk(Pointers(records));
    EXPECT_EQ(host.messages.back(), "Not enough disk free space");
    EXPECT_EQ(records[0].convertState, NotConverted);
    // The refused track has its result line, as every failed track.
    const std::vector<std::pair<std::string, std::uint32_t>> refused = {
        {wav, 255u}, {"        ===> NOT CONVERTED: Not enough disk free space", 255u}};
    EXPECT_EQ(host.lines, refused);
    CConversionRun enough(ConversionMode::kWavToMp3, host);
    enough.freeSpace = [&](const std::string&) { return size * 0.1 + 1; };
    ASSERT_TRUE(enough.Start(s, Pointers(records)));
    host.tracks = Pointers(records);
    enough.Walk(Pointers(records));
    EXPECT_EQ(records[0].convertState, ConvertedWavToMp3);
    EXPECT_EQ(records[0].checkState, AnalysedOk);

    // MP3 -> WAV: 15 times the source uncompressed, 5 times compressed.
    const std::string mp3 = LameEncode(wav, m_Dir.File("m.mp3"), "-b 128");
    const double mp3Size = static_cast<double>(std::filesystem::file_size(mp3));
    std::vector<TrackRecord> mp3s = {Record(mp3)};
    for (bool uncompressed : {true, false}) {
        s.uncompressed = uncompressed;
        s.normalize = false;
        const double factor = uncompressed ? 15 : 5;
        CConversionRun decode(ConversionMode::kMp3ToWav, host);
        decode.freeSpace = [&](const std::string&) { return mp3Size * factor; };
        ASSERT_TRUE(decode.Start(s, Pointers(mp3s)));
        host.tracks = Pointers(mp3s);
        decode.Walk(Pointers(mp3s));
        EXPECT_EQ(host.messages.back(), "Not enough disk free space");
        EXPECT_EQ(mp3s[0].convertState, NotConverted);
        ASSERT_EQ(host.lines.size(), 2u);
        EXPECT_EQ(host.lines[0].first, mp3);
    }
}

TEST_F(Runs, AnEncodingErrorKeepsTheCorruptVerdictGivesTheReasonAndTheRunGoesOn) {
    WriteFile(m_Dir.File("mpeg.wav"),
              MakeRiff({{"fmt ", FmtData(0x55, 2, 44100, 8)}, {"data", Bytes(1000, 0)}}));
    const std::string good = SynthWav(m_Dir.File("good.wav"), "-r 44100 -c 2", "1 sine 440");
    std::vector<TrackRecord> records = {Record(m_Dir.File("mpeg.wav")), Record(good)};
    CRecordingHost host;
    CConversionRun run(ConversionMode::kWavToMp3, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(run.Start(s, Pointers(records)));
    host.tracks = Pointers(records);
    run.Walk(Pointers(records));
    EXPECT_EQ(records[0].convertState, CannotConvert);
    EXPECT_EQ(records[0].checkState, AnalysedCorrupt);
    EXPECT_EQ(records[1].convertState, ConvertedWavToMp3);  // one bad track ends nothing
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(host.lines.size(), 5u);
    EXPECT_EQ(host.lines[1],
              std::make_pair(std::string("        ===> FILE CORRUPT!!!  Please convert."), 255u));
    EXPECT_EQ(host.lines[2].first.rfind("        ===> NOT CONVERTED: ", 0), 0u);
    EXPECT_NE(host.lines[2].first.find("unsupported WAV format"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("out/mpeg.mp3")));
}

TEST_F(Runs, AnEncodeNeverTurnsACorruptVerdictIntoOk) {
    std::vector<TrackRecord> records = {Record(m_Dir.File("bad.Mp3")),
                                        Record(m_Dir.File("g1.mp3"))};
    records[0].checkState = AnalysedCorrupt;  // as the analysis found it
    CRecordingHost host(Pointers(records));
    CConversionRun run(ConversionMode::kMp3ToMp3, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(run.Start(s, Pointers(records)));
    run.Walk(Pointers(records));
    EXPECT_EQ(records[0].convertState, ReencodedMp3);
    EXPECT_EQ(records[0].checkState, AnalysedCorrupt);  // the source is still damaged
    EXPECT_EQ(records[1].convertState, ReencodedMp3);
    EXPECT_EQ(records[1].checkState, AnalysedOk);  // read to its end
}

TEST_F(Runs, Mp3ToWavAnalysesConvertsAndNormalises) {
    const std::string wav = SynthWav(m_Dir.File("q.wav"), "-r 22050 -c 1", "2 sine 440 vol 0.3");
    const std::string mp3 = LameEncode(wav, m_Dir.File("q.mp3"), "-b 64");
    std::vector<TrackRecord> records = {Record(mp3), Record(m_Dir.File("bad.Mp3")),
                                        Record(m_Dir.File("g1.mp3"))};
    records[0].checkState = AnalysedCorrupt;  // overwritten by the new analysis
    CRecordingHost host;
    CConversionRun run(ConversionMode::kMp3ToWav, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    s.convertCorrupt = false;
    ASSERT_TRUE(run.Start(s, Pointers(records)));
    host.tracks = Pointers(records);
    run.Walk(Pointers(records));
    EXPECT_EQ(records[0].checkState, AnalysedOk);
    EXPECT_EQ(records[0].convertState, ConvertedMp3ToWav);
    EXPECT_EQ(records[1].checkState, AnalysedCorrupt);
    EXPECT_EQ(records[1].convertState, NotConverted);  // corrupt files left alone
    EXPECT_EQ(host.lines[2], std::make_pair(m_Dir.File("bad.Mp3"), 255u));
    EXPECT_NE(std::find(host.stages.begin(), host.stages.end(), "Normalizing"), host.stages.end());
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("out/~q.wav")));
    // The peak is exactly where the gain puts it: the peak p of the plain conversion times
    // the whole percent 3112960 / p, over 100.
    auto peakOf = [](const std::string& path) {
        int peak = 0;
        for (std::int16_t sample : DecodeWavSamples(path)) {
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        return peak;
    };
    std::vector<TrackRecord> plain = {Record(mp3)};
    CConversionRun plainRun(ConversionMode::kMp3ToWav, host);
    s.trackDir = m_Dir.File("plain");
    s.normalize = false;
    ASSERT_TRUE(plainRun.Start(s, Pointers(plain)));
    host.tracks = Pointers(plain);
    plainRun.Walk(Pointers(plain));
    const int p = peakOf(m_Dir.File("plain/q.wav"));
    ASSERT_GT(p, 0);
    const int gain = static_cast<int>(3112960.0 / p);
    EXPECT_EQ(peakOf(m_Dir.File("out/q.wav")), p * gain / 100);
    // The hand-built frames decode to nothing useful but still convert: a WAV file exists.
    EXPECT_TRUE(std::filesystem::exists(m_Dir.File("out/g1.wav")));
}

}  // namespace
}  // namespace sonvara::test

namespace sonvara::test {
namespace {

// The analysis run on several threads: the same verdicts, lines and updates as on one, in list
// order, with progress as the share of files done; unreadable files are errors, not corrupt.
TEST_F(Runs, ThreadedRunsGiveTheSameResultsInListOrder) {
    std::filesystem::create_directories(m_Dir.File("folder.mp3"));
    WriteFile(m_Dir.File("text.mp3"), Bytes(5000, 'x'));
    std::vector<std::string> paths = {m_Dir.File("g1.mp3"),     m_Dir.File("bad.Mp3"),
                                      m_Dir.File("folder.mp3"), m_Dir.File("g2.mp3"),
                                      m_Dir.File("text.mp3"),   m_Dir.File("missing.mp3"),
                                      m_Dir.File("g3.mp3"),     m_Dir.File("x.mp2")};
    auto run = [&](unsigned threads, std::vector<TrackRecord>& records) {
        records.clear();
        for (const auto& p : paths) {
            records.push_back(Record(p));
        }
        auto host = std::make_unique<CRecordingHost>(Pointers(records));
        RunAnalysis(Pointers(records), *host, threads);
        return host;
    };
    std::vector<TrackRecord> one;
    std::vector<TrackRecord> two;
    const auto serial = run(1, one);
    const auto parallel = run(3, two);
    EXPECT_EQ(parallel->LineTexts(), serial->LineTexts());
    EXPECT_EQ(parallel->errors, serial->errors);
    ASSERT_EQ(parallel->updates.size(), serial->updates.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(two[i].checkState, one[i].checkState) << paths[i];
    }
    EXPECT_EQ(one[0].checkState, AnalysedOk);
    EXPECT_EQ(one[1].checkState, AnalysedCorrupt);
    // A folder, a file of text and a missing file are reported with their reasons and stay
    // unanalysed; nothing else is reported.
    ASSERT_EQ(serial->errors.size(), 3u);
    EXPECT_EQ(serial->errors[0].first, m_Dir.File("folder.mp3"));
    EXPECT_EQ(serial->errors[1],
              std::make_pair(m_Dir.File("text.mp3"), std::string("no MPEG audio frames")));
    EXPECT_NE(serial->errors[2].second.find("No such file"), std::string::npos);
    for (int i : {2, 4, 5, 7}) {
        EXPECT_EQ(one[i].checkState, NotAnalysed) << paths[i];
    }
    for (const TrackUpdate& u : serial->updates) {
        EXPECT_TRUE(u.index == 0 || u.index == 1 || u.index == 3 || u.index == 6) << u.index;
    }
    EXPECT_EQ(parallel->lastProgress, 0);  // reset at the end
    EXPECT_GE(parallel->progressReports, 7);
    EXPECT_EQ(parallel->files.size(), 7u);  // every MP3 path shown as the current file
}

// A run only reads the records it is given: their new states reach them through the host.
TEST_F(Runs, RunsLeaveTheRecordsToTheHost) {
    std::vector<TrackRecord> records = {Record(m_Dir.File("g1.mp3")),
                                        Record(m_Dir.File("bad.Mp3"))};
    CRecordingHost host;  // applies nothing
    RunAnalysis(Pointers(records), host, 2);
    EXPECT_EQ(records[0].checkState, NotAnalysed);
    EXPECT_EQ(records[1].checkState, NotAnalysed);
    ASSERT_EQ(host.updates.size(), 2u);
    EXPECT_EQ(host.updates[1].index, 1u);
    EXPECT_EQ(host.updates[1].checkState, AnalysedCorrupt);

    const std::string wav = SynthWav(m_Dir.File("w.wav"), "-r 44100 -c 2", "0.5 sine 440");
    std::vector<TrackRecord> wavs = {Record(wav)};
    CConversionRun convert(ConversionMode::kWavToMp3, host);
    ConversionSettings s;
    s.trackDir = m_Dir.File("out");
    ASSERT_TRUE(convert.Start(s, Pointers(wavs)));
    convert.Walk(Pointers(wavs), 2);
    EXPECT_EQ(wavs[0].convertState, NotConverted);
    EXPECT_EQ(host.updates.back().convertState, ConvertedWavToMp3);
    EXPECT_EQ(host.lastProgress, 0);
}

// Adding tracks: the paths are filtered on the list's thread, read elsewhere over a host that
// can stop the reading, and appended on the list's thread.
TEST(AddingTracks, ReadOffTheListStopOnRequestAndAppendWhatIsNew) {
    CTrackList list;
    std::vector<std::string> paths;
    for (int i = 0; i < 25; ++i) {
        paths.push_back("/music/t" + std::to_string(i) + ".mp3");
    }
    int reads = 0;
    const TrackReader reader = [&](const std::string& path) {
        ++reads;
        TrackInfo info;
        info.lengthMs = path.find("t7.") != std::string::npos ? 0 : 61000;
        info.title = "T";
        info.error = info.lengthMs == 0 ? "no MPEG audio frames" : "";
        return info;
    };
    CRecordingHost host;
    std::vector<ReadTrack> read = ReadTracks(list.NewPaths(paths), true, host, reader);
    EXPECT_EQ(reads, 25);
    EXPECT_EQ(host.ended, 1);
    // Progress at every tenth file: 0, 40 and 80 percent of 25.
    EXPECT_EQ(host.progressReports, 3);
    EXPECT_EQ(host.lastProgress, 80);
    const std::vector<AddResult> added = list.AppendRead(std::move(read), true);
    EXPECT_EQ(list.GetTrackCount(), 24u);
    EXPECT_EQ(added[7].outcome, AddOutcome::kUnreadable);
    EXPECT_EQ(added[7].reason, "no MPEG audio frames");
    EXPECT_EQ(list.At(0).lengthText, "1:01");

    // Listed paths and repeats are not read again; a stop request during the third file read
    // ends the reading there.
    paths.push_back("/music/new1.mp3");
    paths.push_back("/music/new1.mp3");
    paths.push_back("/music/new2.mp3");
    paths.push_back("/music/new3.mp3");
    const std::vector<std::string> fresh = list.NewPaths(paths);
    ASSERT_EQ(fresh, (std::vector<std::string>{"/music/t7.mp3", "/music/new1.mp3",
                                               "/music/new2.mp3", "/music/new3.mp3"}));
    CRecordingHost stopping;
    stopping.abortWhenFile = 2;
    reads = 0;
    read = ReadTracks(fresh, true, stopping, reader);
    EXPECT_EQ(reads, 2);
    EXPECT_TRUE(read[2].cancelled);
    EXPECT_TRUE(read[3].cancelled);
    // A path listed while the files were read is refused at the append.
    list.Append(std::make_unique<TrackRecord>(TrackRecord{"", "", "", "", "/music/new1.mp3"}));
    const std::vector<AddResult> late = list.AppendRead(std::move(read), true);
    EXPECT_EQ(late[1].outcome, AddOutcome::kAlreadyListed);
    EXPECT_EQ(late[2].outcome, AddOutcome::kCancelled);
    EXPECT_EQ(list.GetTrackCount(), 25u);
    EXPECT_EQ(list.GetMp3Count(), 25);
}

TEST_F(Runs, ReadingOnSeveralThreadsGivesWhatOneThreadGivesInPathOrder) {
    // Real files of every kind the reader meets: encoded MP3s (header stated length and tags),
    // one without a header (frames counted), hand-built and damaged streams, a WAV, text.
    std::vector<std::string> paths;
    const std::string wav = SynthWav(m_Dir.File("tone.wav"), "-r 44100 -c 2", "1.5 sine 440");
    paths.push_back(LameEncode(wav, m_Dir.File("tagged.mp3"), "-b 128 --tt One --ta Two"));
    paths.push_back(LameEncode(wav, m_Dir.File("noheader.mp3"), "-b 96 -t"));
    paths.push_back(wav);
    WriteFile(m_Dir.File("text.mp3"), Bytes(500, 'x'));
    paths.push_back(m_Dir.File("text.mp3"));
    for (int i = 1; i <= 4; ++i) {
        paths.push_back(m_Dir.File("g" + std::to_string(i) + ".mp3"));
        paths.push_back(m_Dir.File("bad.Mp3"));
    }
    paths.push_back(m_Dir.File("missing.mp3"));

    CRecordingHost one;
    const std::vector<ReadTrack> sequential = ReadTracks(paths, true, one);
    CRecordingHost three;
    const std::vector<ReadTrack> threaded = ReadTracks(paths, true, three, {}, 3);
    ASSERT_EQ(threaded.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(threaded[i].path, paths[i]);
        EXPECT_FALSE(threaded[i].cancelled) << paths[i];
        EXPECT_EQ(threaded[i].info.lengthMs, sequential[i].info.lengthMs) << paths[i];
        EXPECT_EQ(threaded[i].info.title, sequential[i].info.title) << paths[i];
        EXPECT_EQ(threaded[i].info.error.empty(), sequential[i].info.error.empty()) << paths[i];
    }
    EXPECT_EQ(threaded[0].info.title, "One");
    EXPECT_EQ(threaded[0].info.lengthMs, sequential[0].info.lengthMs);
    EXPECT_GT(threaded[1].info.lengthMs, 1400);
    EXPECT_FALSE(threaded[3].info.error.empty());  // text is no audio
    EXPECT_EQ(three.files, paths);                 // announced in path order
    EXPECT_EQ(three.progressReports, one.progressReports);

    // A stop request while the sixth file is handed over: what was read is kept, every later
    // path is cancelled. Files from the ninth on wait for the request, so that the workers
    // have not read everything before it comes (how many they finish after it depends on
    // the scheduler: the files in work are finished and kept).
    CRecordingHost stopping;
    stopping.abortWhenFile = 5;
    const TrackReader waiting = [&](const std::string& path) {
        const auto at = std::find(paths.begin(), paths.end(), path) - paths.begin();
        while (at >= 8 && !stopping.IsAborted()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ReadTrackInfo(path);
    };
    const std::vector<ReadTrack> stopped = ReadTracks(paths, true, stopping, waiting, 3);
    std::size_t kept = 0;
    while (kept < stopped.size() && !stopped[kept].cancelled) {
        EXPECT_EQ(stopped[kept].info.lengthMs, sequential[kept].info.lengthMs);
        ++kept;
    }
    EXPECT_GE(kept, 6u);
    EXPECT_EQ(stopping.files, std::vector<std::string>(paths.begin(), paths.begin() + kept));
    for (std::size_t i = kept; i < stopped.size(); ++i) {
        EXPECT_TRUE(stopped[i].cancelled) << i;
        EXPECT_EQ(stopped[i].path, paths[i]);
    }
}

}  // namespace
}  // namespace sonvara::test
