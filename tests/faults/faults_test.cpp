// Damaged, foreign and vanishing inputs and full disks: every case reports its error, keeps
// the source as it was, leaves no temporary file and does not crash or hang.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "check/mp3check.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "jobs/runhost.h"
#include "platform/bytereader.h"
#include "platform/fileops.h"
#include "runs/conversionrun.h"
#include "support/childprocess.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"
#include "tracks/tracklist.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

bool TempFilesIn(const std::string& dir) {
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.find(".tmp") != std::string::npos || name[0] == '~') {
            return true;
        }
    }
    return false;
}

class Faults : public ::testing::Test {
protected:
    CTempDir m_Dir;
};

TEST_F(Faults, UnreadableInputsAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(m_Dir.File("pipe.wav").c_str(), 0644), 0);
    fs::create_directory(m_Dir.File("dir.wav"));
    fs::create_symlink(m_Dir.File("gone.wav"), m_Dir.File("dangling.wav"));
    for (const char* name : {"pipe.wav", "dir.wav", "dangling.wav"}) {
        EXPECT_EQ(InChildProcess([&] {
                      CAudioWaveFile f;
                      f.SetFileName(m_Dir.File(name));
                      return f.IsValid() ? 1 : 0;
                  }),
                  0)
            << name;
    }
    // Without read permission (an unprivileged child: root could read it anyway).
    WriteFile(m_Dir.File("secret.mp3"), MakeStream(FrameShape{}, 10));
    WriteFile(m_Dir.File("secret.wav"), MakePcmWav(Sine(1000, 2, 440, 44100)));
    ::chmod(m_Dir.File("secret.mp3").c_str(), 0600);
    ::chmod(m_Dir.File("secret.wav").c_str(), 0600);
    ::chmod(m_Dir.Path().c_str(), 0755);
    EXPECT_EQ(
        InChildProcess(
            [&] {
                CMP3Check check;
                const bool intact = check.CheckFile(m_Dir.File("secret.mp3"), nullptr);
                if (intact || !check.OpenFailed() || check.FailureText() != "Permission denied") {
                    return 1;
                }
                CAudioWaveFile wav;
                wav.SetFileName(m_Dir.File("secret.wav"));
                CAudioMpegFile mp3;
                mp3.SetFileName(m_Dir.File("secret.mp3"));
                return wav.IsValid() || mp3.IsValid() ? 2 : 0;
            },
            RLIM_INFINITY, true),
        0);
}

TEST_F(Faults, ASourceThatShrinksWhileItIsReadGivesAShortResult) {
    const std::string wav = SynthWav(m_Dir.File("s.wav"), "-r 44100 -c 2", "3 sine 440");
    const std::string mp3 = LameEncode(wav, m_Dir.File("s.mp3"), "-b 128");
    // Cut the file to a tenth at the third block, as another program might.
    class CShrinker : public IProgressSink {
    public:
        explicit CShrinker(std::string path) : m_Path(std::move(path)) {}
        bool IsAborted() override { return false; }
        void SetProgress(int) override {
            if (++m_Calls == 3) {
                const auto size = fs::file_size(m_Path);
                fs::resize_file(m_Path, size / 10);
            }
        }

    private:
        std::string m_Path;
        int m_Calls = 0;
    };
    for (const std::string& source : {wav, mp3}) {
        const std::string work = m_Dir.File("work" + fs::path(source).extension().string());
        fs::copy_file(source, work, fs::copy_options::overwrite_existing);
        CShrinker sink(work);
        if (source == wav) {
            CWavToMp3Job job;
            job.Setup(work, m_Dir.File("o.mp3"), 2, 0, false);
            EXPECT_FALSE(job.Run(&sink));
            job.Close();
        } else {
            CMp3ToWavJob job;
            job.Setup(work, m_Dir.File("o.wav"), 0);
            EXPECT_FALSE(job.Run(&sink));
            job.Close();
        }
        if (source == mp3) {
            // Long enough that the cut lands behind what the walk has buffered.
            const std::string longWav =
                SynthWav(m_Dir.File("long.wav"), "-r 44100 -c 2", "30 sine 440");
            // Copied, the walk finds the end before the size the file had when it was opened;
            // mapped, it reads on in place until the first page the file no longer has. Either
            // way the walk ends with a read error that says why (and no crash). No error was
            // counted before the cut.
            const ReadMethod before = DefaultReadMethod();
            for (const ReadMethod method : {ReadMethod::kCopy, ReadMethod::kMap}) {
                LameEncode(longWav, work, "-b 128");
                SetDefaultReadMethod(method);
                CShrinker checkSink(work);
                CMP3Check check;
                check.SetOption(CMP3Check::kOptionWholeFile, true);
                EXPECT_TRUE(check.CheckFile(work, &checkSink));
                EXPECT_TRUE(check.ReadFailed());
                EXPECT_EQ(check.FailureText(), "the file was cut short while it was read");
                EXPECT_GT(check.GetStreamState().goodFrames, 0);
                EXPECT_LT(check.GetStreamState().goodFrames, 1148);  // 30 s hold 1149
            }
            SetDefaultReadMethod(before);
        }
    }
    // A source removed while it is read: the open file still reads to its end.
    const std::string gone = m_Dir.File("gone.wav");
    fs::copy_file(wav, gone);
    CWavToMp3Job job;
    job.Setup(gone, m_Dir.File("g.mp3"), 2, 0, false);
    fs::remove(gone);
    EXPECT_FALSE(job.Run(nullptr));
    job.Close();
}

TEST_F(Faults, MovingAcrossFileSystemsCopiesChecksAndOnlyThenRemoves) {
    if (!fs::is_directory("/dev/shm")) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    CTempDir shm;  // beside the tests' temporary folder
    const std::string other = "/dev/shm/sonvara-move-" + std::to_string(::getpid());
    fs::create_directories(other);
    struct Cleanup {
        std::string dir;
        ~Cleanup() { fs::remove_all(dir); }
    } cleanup{other};
    const Bytes data = MakeStream(FrameShape{}, 500);
    WriteFile(other + "/a.mp3", data);
    FileOpError error;
    ASSERT_TRUE(MoveFile(other + "/a.mp3", m_Dir.File("a.mp3"), false, error)) << error.text;
    EXPECT_EQ(ReadFile(m_Dir.File("a.mp3")), data);
    EXPECT_FALSE(fs::exists(other + "/a.mp3"));

    // The copy fails part-way (a file-size limit): the original stays, no partial copy is
    // left, and the reason is the limit, not a generic input/output error.
    WriteFile(other + "/b.mp3", data);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      FileOpError e;
                      return !MoveFile(other + "/b.mp3", m_Dir.File("b.mp3"), false, e) &&
                                     e.diskFull && e.text.find("larger than") != std::string::npos
                                 ? 0
                                 : 1;
                  },
                  static_cast<rlim_t>(data.size() / 3)),
              0);
    EXPECT_EQ(ReadFile(other + "/b.mp3"), data);
    EXPECT_FALSE(fs::exists(m_Dir.File("b.mp3")));
    EXPECT_FALSE(TempFilesIn(m_Dir.Path()));

    // A full disk says so (the copy into /dev/full, which answers every write with ENOSPC).
    if (fs::exists("/dev/full")) {
        FileOpError full;
        EXPECT_FALSE(CopyFileData(other + "/b.mp3", "/dev/full", full));
        EXPECT_TRUE(full.diskFull);
        EXPECT_EQ(full.text, "the disk is full");
    }
}

TEST_F(Faults, AStopReachesIntoTheReadingOfAHugeFileNamedMp3) {
    // A few frames, then 64 GiB of nothing (a sparse file, as a disc image renamed .mp3 would
    // be): counting its frames alone would read every byte.
    const std::string huge = m_Dir.File("image.mp3");
    WriteFile(huge, MakeStream(FrameShape{}, 40));
    std::error_code ec;
    fs::resize_file(huge, std::uintmax_t{64} << 30, ec);
    if (ec) {
        GTEST_SKIP() << "no sparse file here: " << ec.message();
    }
    std::atomic<bool> cancel{false};
    AddOptions options;
    options.cancel = &cancel;
    options.reader = [&](const std::string& path) {
        cancel = true;  // Cancel pressed while this file is read
        return ReadTrackInfo(path);
    };
    const std::vector<ReadTrack> read = ReadTrackFiles({huge, m_Dir.File("next.mp3")}, options);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0].cancelled);  // not listed as unreadable: simply not read
    EXPECT_TRUE(read[1].cancelled);
}

TEST_F(Faults, AReportThatCannotBeWrittenIsReported) {
    CTrackList list;
    AddOptions options;
    options.reader = [](const std::string&) {
        TrackInfo info;
        info.lengthMs = 1000;
        return info;
    };
    std::vector<std::string> paths;
    for (int i = 0; i < 2000; ++i) {
        paths.push_back("/music/track" + std::to_string(i) + ".mp3");
    }
    list.AddTracks(paths, options);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      std::string error;
                      return !list.WriteReport(m_Dir.File("r.txt"), &error) && !error.empty() ? 0
                                                                                              : 1;
                  },
                  10000),
              0);
}

TEST_F(Faults, AStopAtEveryBlockOfAConversionLeavesTheSourceAndGivesTheRunsStates) {
    const std::string wav = SynthWav(m_Dir.File("b.wav"), "-r 44100 -c 2", "0.9 sine 440");
    const std::string mp3 = LameEncode(wav, m_Dir.File("b.mp3"), "-b 128");
    const Bytes wavBytes = ReadFile(wav);
    const Bytes mp3Bytes = ReadFile(mp3);
    for (ConversionMode mode : {ConversionMode::kWavToMp3, ConversionMode::kMp3ToWav}) {
        const std::string source = mode == ConversionMode::kWavToMp3 ? wav : mp3;
        const std::string output =
            m_Dir.File(mode == ConversionMode::kWavToMp3 ? "out/b.mp3" : "out/b.wav");
        const std::int32_t converted =
            mode == ConversionMode::kWavToMp3 ? ConvertedWavToMp3 : ConvertedMp3ToWav;
        int finished = 0;
        int stopped = 0;
        for (int stop = 0; stop <= 14; ++stop) {  // 14: no stop at all
            fs::remove(output);
            TrackRecord record;
            record.path = source;
            std::vector<TrackRecord*> list = {&record};
            CRecordingHost host(list);
            host.answers = {Answer::kYes};
            host.aborted = stop == 0;
            host.abortAfterProgress = stop < 14 ? stop : -1;
            CConversionRun run(mode, host);
            ConversionSettings s;
            s.trackDir = m_Dir.File("out");
            s.normalize = true;
            ASSERT_TRUE(run.Start(s, list));
            run.Walk(list);
            // A stop is not a failure: the track is either converted whole (the stop came
            // after its last block) or left as it was, with no output under its name.
            if (record.convertState == converted) {
                EXPECT_TRUE(fs::exists(output)) << stop;
                ++finished;
            } else {
                EXPECT_EQ(record.convertState, NotConverted) << stop;
                EXPECT_FALSE(fs::exists(output)) << stop;
                ++stopped;
            }
            if (stop == 0) {
                EXPECT_EQ(record.convertState, NotConverted);
            }
            if (stop == 14) {
                EXPECT_EQ(record.convertState, converted);
            }
            EXPECT_FALSE(TempFilesIn(m_Dir.File("out"))) << stop;
        }
        EXPECT_GT(stopped, 1);
        EXPECT_GT(finished, 0);
    }
    EXPECT_EQ(ReadFile(wav), wavBytes);
    EXPECT_EQ(ReadFile(mp3), mp3Bytes);
}

}  // namespace
}  // namespace sonvara::test
