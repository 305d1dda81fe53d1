// The document: its commands and their enabling, adding through the read-files dialog, the
// report and moving the corrupt files with the overwrite question (asked through a scripted
// asker), adds held while a run is open.
#include <QApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "runs/analysisrun.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/dlgreadfilesinfo.h"
#include "ui/fileicons.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"
#include "ui/tracklistview.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

using test::CModalAnswerer;
using test::CTempDir;
namespace fs = std::filesystem;

class Document : public ::testing::Test {
protected:
    void SetUp() override { m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker); }

    // The analysis run, synchronously, applying the verdicts as a run dialog's host does.
    void UseAnalysisRunner() {
        m_Doc->SetJobRunner([this](CSonvaraDoc::Job job, const std::vector<TrackRecord*>& tracks) {
            m_Jobs.push_back(job);
            m_JobPaths.clear();
            for (const TrackRecord* r : tracks) {
                m_JobPaths.push_back(r->path);
            }
            if (job == CSonvaraDoc::Job::kAnalyze) {
                test::CRecordingHost host(tracks);
                RunAnalysis(tracks, host);
            }
        });
    }

    std::vector<std::string> Files(std::initializer_list<const char*> names,
                                   const std::vector<std::uint8_t>& bytes) {
        std::vector<std::string> out;
        for (const char* name : names) {
            out.push_back(m_Dir.File(name));
            test::WriteFile(out.back(), bytes);
        }
        return out;
    }

    bool Enabled(int id) {
        bool enabled = false;
        return m_Doc->QueryCommand(id, enabled) && enabled;
    }

    CTempDir m_Dir;
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;  // outlives the document and its views
    test::CScriptedAsker m_Asker;
    CFileIconCache m_Icons;  // the views' file icons, this test's own
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::vector<CSonvaraDoc::Job> m_Jobs;
    std::vector<std::string> m_JobPaths;
};

TEST_F(Document, AddingReadsThroughTheDialogSkipsListedPathsAndCountsTypes) {
    const auto paths = Files({"a.mp3", "b.Mp3", "c.wav", "d.ogg"}, test::GoodMp3());
    QSignalSpy changed(m_Doc.get(), &CSonvaraDoc::tracksChanged);
    m_Doc->AddTracks({paths[0], paths[1]});
    EXPECT_EQ(m_Doc->GetTrackCount(), 2);
    EXPECT_EQ(m_Doc->GetMp3Count(), 2);
    EXPECT_GE(changed.count(), 1);
    // Already listed: unchanged; the same path in another letter case is another track.
    m_Doc->AddTracks({paths[0]});
    EXPECT_EQ(m_Doc->GetTrackCount(), 2);
    const std::string upper = m_Dir.File("A.mp3");
    test::WriteFile(upper, test::GoodMp3());
    m_Doc->AddTracks({upper, paths[0]});
    EXPECT_EQ(m_Doc->GetTrackCount(), 3);
    // A .wav that is not a WAV file cannot be read and is left out.
    m_Doc->AddTracks({paths[2]});
    EXPECT_EQ(m_Doc->GetTrackCount(), 3);
    EXPECT_EQ(m_Doc->Tracks().At(0).lengthText, "0:01");
}

TEST_F(Document, TwentyFiveNewFilesMoveTheBarAtZeroTenAndTwenty) {
    std::vector<std::string> paths;
    for (int i = 0; i < 25; ++i) {
        paths.push_back(m_Dir.File("t" + std::to_string(100 + i) + ".mp3"));
        test::WriteFile(paths.back(), test::GoodMp3(8));
    }
    std::vector<int> steps;
    QString caption;
    CModalAnswerer watcher([&](QWidget* w) {
        auto* dialog = qobject_cast<CDlgReadFilesInfo*>(w);
        if (dialog == nullptr) {
            return false;
        }
        caption = dialog->windowTitle();
        return true;
    });
    // The first step may come before a poll sees the dialog: a dialog of our own, opened the
    // way the document opens it, reports every step.
    CDlgReadFilesInfo dialog(m_Runs, paths, true);
    QObject::connect(&dialog, &CDlgReadFilesInfo::progressSet,
                     [&](int percent) { steps.push_back(percent); });
    dialog.exec();
    EXPECT_EQ(steps, (std::vector<int>{0, 40, 80}));
    EXPECT_EQ(caption, "Read Files Information");
    EXPECT_EQ(dialog.TakeResults().size(), 25u);
}

TEST_F(Document, CancelStopsReadingAndKeepsWhatWasRead) {
    std::vector<std::string> paths;
    for (int i = 0; i < 400; ++i) {
        paths.push_back(m_Dir.File("t" + std::to_string(1000 + i) + ".mp3"));
        test::WriteFile(paths.back(), test::GoodMp3(8));
    }
    CModalAnswerer cancel([&](QWidget* w) {
        auto* dialog = qobject_cast<CDlgReadFilesInfo*>(w);
        if (dialog == nullptr) {
            return false;
        }
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == "&Cancel") {
                QTest::mouseClick(button, Qt::LeftButton);
                return true;
            }
        }
        return false;
    });
    m_Doc->AddTracks(paths);
    EXPECT_TRUE(cancel.Answered());
    EXPECT_LT(m_Doc->GetTrackCount(), 400);
    for (std::size_t i = 0; i < m_Doc->Tracks().GetTrackCount(); ++i) {
        EXPECT_EQ(m_Doc->Tracks().At(i).path, paths[i]);  // the first ones, in order
    }
}

TEST_F(Document, CommandsAreEnabledByTheirRules) {
    const auto mp3s = Files({"a.mp3", "bad.mp3"}, test::GoodMp3());
    test::WriteFile(mp3s[1], test::CorruptMp3());
    for (int id : {cmd::kAnalyze, cmd::kMp3ToWav, cmd::kWavToMp3, cmd::kMp3ToMp3, cmd::kSaveResults,
                   cmd::kMoveCorrupt}) {
        bool enabled = true;
        EXPECT_TRUE(m_Doc->QueryCommand(id, enabled)) << id;
        EXPECT_FALSE(enabled) << id;  // empty list
    }
    bool enabled = false;
    EXPECT_FALSE(m_Doc->QueryCommand(cmd::kAddTracks, enabled));  // not the document's
    UseAnalysisRunner();
    m_Doc->AddTracks(mp3s);
    EXPECT_TRUE(Enabled(cmd::kAnalyze));
    EXPECT_TRUE(Enabled(cmd::kMp3ToWav));
    EXPECT_TRUE(Enabled(cmd::kMp3ToMp3));
    EXPECT_FALSE(Enabled(cmd::kWavToMp3));  // no WAV listed
    EXPECT_TRUE(Enabled(cmd::kSaveResults));
    EXPECT_FALSE(Enabled(cmd::kMoveCorrupt));
    int stops = 0;
    m_Doc->SetStopPlayback([&] { ++stops; });
    m_Doc->ExecuteCommand(cmd::kAnalyze);
    EXPECT_EQ(stops, 1);  // every job stops playback first
    EXPECT_EQ(m_Doc->Tracks().At(0).checkState, AnalysedOk);
    EXPECT_EQ(m_Doc->Tracks().At(1).checkState, AnalysedCorrupt);
    EXPECT_TRUE(Enabled(cmd::kMoveCorrupt));
}

TEST_F(Document, OnlySelectedRunsTakeTheRecordsInIndexOrder) {
    UseAnalysisRunner();
    m_Doc->AddTracks(Files({"1.mp3", "2.mp3", "3.mp3", "4.mp3"}, test::GoodMp3()));
    m_Doc->RunJobOnSelected(CSonvaraDoc::Job::kMp3ToWav, {0, 2, 3});
    ASSERT_EQ(m_Jobs.size(), 1u);
    EXPECT_EQ(m_Jobs[0], CSonvaraDoc::Job::kMp3ToWav);
    EXPECT_EQ(m_JobPaths, (std::vector<std::string>{m_Dir.File("1.mp3"), m_Dir.File("3.mp3"),
                                                    m_Dir.File("4.mp3")}));
    EXPECT_EQ(m_Doc->GetTrackCount(), 4);  // the records stay the document's
}

TEST_F(Document, RemovingIndicesOneAndThreeOfFiveRemovesTheSecondAndFourth) {
    const auto paths = Files({"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}, test::GoodMp3());
    m_Doc->AddTracks(paths);
    m_Doc->RemoveTracksAt({1, 3});
    ASSERT_EQ(m_Doc->GetTrackCount(), 3);
    EXPECT_EQ(m_Doc->Tracks().At(1).path, paths[2]);
    EXPECT_EQ(m_Doc->GetMp3Count(), 3);
}

TEST_F(Document, TheReportFollowsTheViewsOrderAfterSortingByLength) {
    const std::string longer = m_Dir.File("long.mp3");
    const std::string shorter = m_Dir.File("short.mp3");
    test::WriteFile(longer, test::GoodMp3(200));
    test::WriteFile(shorter, test::GoodMp3(40));
    CListSelectedTracksListView view(*m_Doc, m_Icons);
    m_Doc->AddTracks({longer, shorter});
    view.SortColumn(CTrackListModel::kLength, false);              // descending: long first
    view.SortColumn(CTrackListModel::kLength, false);              // ascending: short first
    m_Doc->ReorderByRecords(view.TrackModel()->RecordsInOrder());  // as the header click does
    const std::string report = m_Dir.File("results.txt");
    m_Asker.reportFile = report;
    m_Doc->ExecuteCommand(cmd::kSaveResults);
    const std::string text = test::ReadText(report);
    ASSERT_NE(text.find("Analysis Results:\n\nFile: " + shorter), std::string::npos) << text;
    EXPECT_LT(text.find(shorter), text.find(longer));
    EXPECT_TRUE(m_Asker.told.empty());
}

TEST_F(Document, NamesThatAreNotUtf8AreAnalysedReportedAndMovedUnderTheirOwnBytes) {
    UseAnalysisRunner();
    const auto corrupt = Files({"caf\xe9.mp3", "new\nline.mp3"}, test::CorruptMp3());
    const auto good = Files({"\xff\xfe.mp3", "-dash.mp3"}, test::GoodMp3());
    m_Doc->AddTracks({corrupt[0], good[0], corrupt[1], good[1]});
    ASSERT_EQ(m_Doc->GetTrackCount(), 4);
    m_Doc->RunJob(CSonvaraDoc::Job::kAnalyze);
    EXPECT_EQ(m_Doc->Tracks().At(0).checkState, AnalysedCorrupt);
    EXPECT_EQ(m_Doc->Tracks().At(1).checkState, AnalysedOk);
    const std::string report = m_Dir.File("report.txt");
    m_Asker.reportFile = report;
    m_Doc->SaveAnalysisResults();
    const std::string text = test::ReadText(report);
    EXPECT_NE(text.find("caf\xe9.mp3"), std::string::npos);  // the bytes, not "caf?.mp3"
    EXPECT_NE(text.find("\xff\xfe.mp3"), std::string::npos);
    const std::string target = m_Dir.File("corrupt\xe9");
    fs::create_directory(target);
    m_Asker.moveDestination = target;
    m_Doc->ExecuteCommand(cmd::kMoveCorrupt);
    EXPECT_EQ(test::ReadFile(target + "/caf\xe9.mp3"), test::CorruptMp3());
    EXPECT_TRUE(fs::exists(target + "/new\nline.mp3"));
    EXPECT_FALSE(fs::exists(corrupt[0]));
    ASSERT_EQ(m_Doc->GetTrackCount(), 2);
    EXPECT_EQ(m_Doc->Tracks().At(0).path, good[0]);
    EXPECT_EQ(m_Doc->Tracks().At(1).path, good[1]);
}

TEST_F(Document, AReportNameThatIsNotTxtWritesNothingAndSaysSo) {
    m_Doc->AddTracks(Files({"a.mp3"}, test::GoodMp3()));
    const std::string log = m_Dir.File("results.log");
    m_Asker.reportFile = log;  // the name the user chose
    m_Doc->SaveAnalysisResults();
    EXPECT_EQ(m_Asker.told, std::vector<std::string>{"not plain text"});
    EXPECT_FALSE(fs::exists(log));
    EXPECT_FALSE(fs::exists(log + ".txt"));
}

TEST_F(Document, MovingAsksOncePerExistingFileAndNoKeepsTheTrack) {
    UseAnalysisRunner();
    const auto bad = Files({"bad1.mp3", "bad2.mp3"}, test::CorruptMp3());
    const auto good = Files({"good.mp3"}, test::GoodMp3());
    m_Doc->AddTracks({bad[0], good[0], bad[1]});
    m_Doc->RunJob(CSonvaraDoc::Job::kAnalyze);
    ASSERT_TRUE(Enabled(cmd::kMoveCorrupt));
    const std::string target = m_Dir.File("corrupt");
    fs::create_directory(target);
    test::WriteFile(target + "/bad1.mp3", {1, 2, 3});  // already there
    m_Asker.moveDestination = target;
    m_Asker.overwriteAnswers = {Answer::kNo};
    m_Doc->ExecuteCommand(cmd::kMoveCorrupt);
    ASSERT_EQ(m_Asker.questions.size(), 1u);
    EXPECT_EQ(m_Asker.questions[0],
              "The file \n" + target + "/bad1.mp3\nalready exists, should it overwrite ?");
    EXPECT_TRUE(m_Asker.told.empty());  // kept by the answer: no word on it
    EXPECT_TRUE(fs::exists(bad[0]));    // No: stays, listed
    EXPECT_FALSE(fs::exists(bad[1]));
    EXPECT_TRUE(fs::exists(target + "/bad2.mp3"));
    ASSERT_EQ(m_Doc->GetTrackCount(), 2);
    EXPECT_EQ(m_Doc->Tracks().At(0).path, bad[0]);
    EXPECT_EQ(m_Doc->Tracks().At(1).path, good[0]);
    EXPECT_EQ(m_Doc->GetMp3Count(), 2);
}

TEST_F(Document, AFileThatCannotBeMovedIsShownInABoxAndStaysListed) {
    UseAnalysisRunner();
    const auto bad = Files({"bad1.mp3", "bad2.mp3"}, test::CorruptMp3());
    m_Doc->AddTracks(bad);
    m_Doc->RunJob(CSonvaraDoc::Job::kAnalyze);
    const std::string target = m_Dir.File("corrupt");
    fs::create_directory(target);
    fs::remove(bad[0]);  // gone meanwhile: its move fails
    m_Asker.moveDestination = target;
    m_Doc->ExecuteCommand(cmd::kMoveCorrupt);
    ASSERT_EQ(m_Asker.told.size(), 1u);
    EXPECT_EQ(m_Asker.told[0].rfind(bad[0] + ": ", 0), 0u) << m_Asker.told[0];
    EXPECT_TRUE(fs::exists(target + "/bad2.mp3"));
    ASSERT_EQ(m_Doc->GetTrackCount(), 1);
    EXPECT_EQ(m_Doc->Tracks().At(0).path, bad[0]);
}

// Files added while a run's dialog is open (a drop, a folder's files, start-up files, posted
// to the event loop the dialog runs) wait: the run walks the tracks it was given, with its
// results on them, and the held files are appended in order once it has ended.
TEST_F(Document, AddsThatArriveDuringARunAreHeldUntilItEnds) {
    const auto first = Files({"1.mp3", "2.mp3"}, test::GoodMp3());
    const auto dropped = Files({"3.mp3"}, test::GoodMp3());
    const auto listed = Files({"4.mp3", "5.mp3"}, test::CorruptMp3());
    m_Doc->AddTracks(first);
    int duringRun = -1;
    m_Doc->SetJobRunner([&](CSonvaraDoc::Job, const std::vector<TrackRecord*>& tracks) {
        QEventLoop exec;  // what a run dialog's exec() runs
        QMetaObject::invokeMethod(m_Doc.get(), [&] { m_Doc->AddTracks(dropped); });
        QMetaObject::invokeMethod(m_Doc.get(), [&] { m_Doc->AddTracks(listed); });
        QMetaObject::invokeMethod(&exec, &QEventLoop::quit, Qt::QueuedConnection);
        exec.exec();
        duringRun = m_Doc->GetTrackCount();
        test::CRecordingHost host(tracks);
        RunAnalysis(tracks, host);
        m_JobPaths.clear();
        for (const TrackRecord* r : tracks) {
            m_JobPaths.push_back(r->path);
        }
    });
    m_Doc->RunJob(CSonvaraDoc::Job::kAnalyze);
    EXPECT_EQ(duringRun, 2);
    EXPECT_EQ(m_JobPaths, first);
    ASSERT_EQ(m_Doc->GetTrackCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const std::string want = i < 2 ? first[i] : i == 2 ? dropped[0] : listed[i - 3];
        EXPECT_EQ(m_Doc->Tracks().At(i).path, want) << i;
        EXPECT_EQ(m_Doc->Tracks().At(i).checkState, i < 2 ? AnalysedOk : NotAnalysed) << i;
    }
}

}  // namespace
}  // namespace sonvara
