// The four run dialogs driven as a user drives them, over the real runs and real files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>
#include <filesystem>
#include <new>

#include "audio/mpegheader.h"
#include "runs/analysisrun.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/runevents.h"
#include "support/wavbuilder.h"
#include "ui/colorlistbox.h"
#include "ui/configsheet.h"
#include "ui/dialogfixture.h"
#include "ui/dlgloudness.h"
#include "ui/dlgmp3analyzing.h"
#include "ui/dlgmp3repairing.h"
#include "ui/dlgmp3tomp3converting.h"
#include "ui/dlgmp3towavconverting.h"
#include "ui/dlgwavtomp3converting.h"
#include "ui/genproppage.h"
#include "ui/helpcontext.h"
#include "ui/modalanswerer.h"
#include "ui/pathlabel.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

const std::string kOk = "        ===> File OK! ";
const std::string kCorrupt = "        ===> FILE CORRUPT!!!  Please convert.";
const std::string kAborted = "Aborted at user request!";

using Lines = std::vector<std::pair<std::string, std::uint32_t>>;

Lines ResultLines(const CRunDialog& dialog) {
    Lines lines;
    for (int i = 0; i < dialog.Results()->GetCount(); ++i) {
        lines.emplace_back(dialog.Results()->GetText(i).toStdString(),
                           dialog.Results()->GetItemData(i));
    }
    return lines;
}

// The analysis dialog with its worker held before the check of one file.
class CHeldAnalysis : public CDlgMP3Analyzing {
public:
    CHeldAnalysis(CRunService& runs, CSettings& settings, CHelpContext& help, int holdAt)
        : CDlgMP3Analyzing(runs, settings, help),
          hold(std::make_shared<CHoldingHost>(Host(), holdAt)) {}
    ~CHeldAnalysis() override { hold->Release(); }
    std::shared_ptr<CHoldingHost> hold;

protected:
    Work MakeWork() override {
        return [hold = hold](IRunHost&, const std::vector<TrackRecord*>& tracks) {
            RunAnalysis(tracks, *hold, 1);
        };
    }
};

class AnalysisDialog : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        const Bytes good = MakeStream(FrameShape{}, 60);
        Bytes bad = good;
        bad.erase(bad.begin() + 3000, bad.begin() + 3100);
        for (int i = 1; i <= 5; ++i) {
            WriteFile(dir.File("g" + std::to_string(i) + ".mp3"), good);
        }
        WriteFile(dir.File("bad.Mp3"), bad);
        WriteFile(dir.File("x.mp2"), good);
    }
};

TEST_F(AnalysisDialog, ChecksEachUncheckedMp3AndClosesItself) {
    Add(dir.File("g1.mp3"));
    Add(dir.File("bad.Mp3"));
    Add(dir.File("x.mp2"));
    Add(dir.File("g2.mp3"), AnalysedOk);
    Add(dir.File("g3.mp3"));
    int helpWhileOpen = 0;
    QString caption;
    CDlgMP3Analyzing dialog(runs, settings, help);
    QTimer::singleShot(0, &dialog, [&] {
        helpWhileOpen = help.Get();
        caption = dialog.windowTitle();
    });
    dialog.RunOnTracks(List());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(helpWhileOpen, kHelpAnalysis);
    EXPECT_EQ(caption, "Analyze MP3 Files");
    const Lines expected = {{dir.File("g1.mp3"), 0},    {kOk, 0},
                            {dir.File("bad.Mp3"), 255}, {kCorrupt, 255},
                            {dir.File("g3.mp3"), 0},    {kOk, 0}};
    EXPECT_EQ(ResultLines(dialog), expected);
    EXPECT_EQ(records[0]->checkState, AnalysedOk);
    EXPECT_EQ(records[1]->checkState, AnalysedCorrupt);
    EXPECT_EQ(records[2]->checkState, NotAnalysed);
    EXPECT_EQ(records[3]->checkState, AnalysedOk);
    EXPECT_EQ(records[4]->checkState, AnalysedOk);
    EXPECT_EQ(dialog.CurrentFile()->Path(), "");
    EXPECT_EQ(dialog.Progress()->value(), 0);
    EXPECT_EQ(dialog.StageBox()->title(), "");

    // A second analysis over the same list checks nothing and closes at once.
    {
        CDlgMP3Analyzing again(runs, settings, help);
        again.RunOnTracks(List());
        EXPECT_EQ(again.Results()->GetCount(), 0);
        EXPECT_EQ(help.Get(), kHelpAnalysis);
    }
    EXPECT_EQ(help.Get(), kHelpAnalysis);  // the first dialog still exists
}

// "Decode every frame" in the options sheet makes the window's analysis decode too: a stream
// cut at a frame boundary walks clean, but its first frame's audio lies in what was cut away.
TEST_F(AnalysisDialog, TheDecodeSettingOfTheOptionsSheetFindsAudioTheWalkCannot) {
    ASSERT_TRUE(HaveTool("sox") && HaveTool("lame"));
    const std::string wav = SynthWav(dir.File("n.wav"), "-r 44100 -c 2", "4 pinknoise");
    const Bytes mp3 = ReadFile(LameEncode(wav, dir.File("n.mp3"), "-V 4"));
    std::size_t at = 0;  // past ten frames
    for (int frame = 0; frame < 10; ++frame) {
        MP3FrameHeader h;
        ASSERT_TRUE(DecodeMpegHeader(static_cast<std::uint32_t>(mp3[at]) << 24 | mp3[at + 1] << 16 |
                                         mp3[at + 2] << 8 | mp3[at + 3],
                                     h));
        at += static_cast<std::size_t>(h.frameLength);
    }
    WriteFile(dir.File("cut.mp3"), Bytes(mp3.begin() + static_cast<std::ptrdiff_t>(at), mp3.end()));
    for (const bool decode : {false, true}) {
        SCOPED_TRACE(decode);
        {
            CConfigSheet sheet(settings, help);
            sheet.show();
            if (sheet.GeneralPage()->DecodeCheck()->isChecked() != decode) {
                QTest::mouseClick(sheet.GeneralPage()->DecodeCheck(), Qt::LeftButton);
            }
            QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        }
        records.clear();
        Add(dir.File("cut.mp3"));
        CDlgMP3Analyzing dialog(runs, settings, help);
        dialog.RunOnTracks(List());
        EXPECT_EQ(records[0]->checkState, decode ? AnalysedCorrupt : AnalysedOk);
    }
    EXPECT_EQ(store.GetInt("GeneralProperties", "DecodeCheck", -5), 1);
}

// The repair dialog replaces each repairable file in its place, keeps the original beside it
// and makes the record OK; a file without a stream is named with its reason.
TEST_F(AnalysisDialog, RepairReplacesTheCorruptFileKeepsTheOriginalAndMarksTheRecordOk) {
    Add(dir.File("bad.Mp3"), AnalysedCorrupt);
    Add(dir.File("g1.mp3"), AnalysedOk);
    WriteFile(dir.File("noise.mp3"), Bytes(3000, 0x41));
    Add(dir.File("noise.mp3"), AnalysedCorrupt);
    const Bytes original = ReadFile(dir.File("bad.Mp3"));
    CDlgMP3Repairing dialog(runs, settings, help);
    dialog.RunOnTracks(List());
    EXPECT_EQ(ReadFile(dir.File("bad.Mp3.bak")), original);
    EXPECT_EQ(records[0]->checkState, AnalysedOk);
    EXPECT_EQ(records[2]->checkState, AnalysedCorrupt);
    const Lines lines = ResultLines(dialog);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].first.rfind("        ===> REPAIRED: dropped ", 0), 0u);
    EXPECT_EQ(lines[3].first, "        ===> Nothing to repair");
    EXPECT_EQ(lines[5].first, "        ===> NOT REPAIRED: no MPEG audio stream found");
    EXPECT_EQ(dialog.Summary(), "1 repaired, the originals kept as .bak files");
}

// Measure Loudness: each track's values as result lines and in its record (the Loudness
// column), a silent one named with its reason; the summary counts both.
TEST_F(AnalysisDialog, MeasureLoudnessFillsTheColumnAndNamesSilence) {
    WriteFile(dir.File("tone.wav"), MakePcmWav(Sine(44100 * 3, 2, 1000, 44100, 2323.0)));
    WriteFile(dir.File("quiet.wav"), MakePcmWav(std::vector<std::int16_t>(44100 * 2 * 2, 0)));
    Add(dir.File("tone.wav"));
    Add(dir.File("quiet.wav"));
    int helpWhileOpen = 0;
    CDlgLoudness dialog(runs, help, false, false);
    QTimer::singleShot(0, &dialog, [&] { helpWhileOpen = help.Get(); });
    dialog.RunOnTracks(List());
    EXPECT_EQ(helpWhileOpen, kHelpLoudness);
    EXPECT_EQ(dialog.windowTitle(), "Measure Loudness");
    const Lines lines = ResultLines(dialog);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].first, "        ===> -22.98 LUFS, -22.98 dBTP, 0.0 LU");
    EXPECT_EQ(lines[3],
              (std::pair<std::string, std::uint32_t>{"        ===> NOT MEASURED: silent", 255}));
    EXPECT_NEAR(records[0]->loudness, -23.0, 0.1);
    EXPECT_TRUE(std::isnan(records[1]->loudness));
    EXPECT_EQ(dialog.Summary(), "1 measured, 1 not measured");
}

TEST_F(AnalysisDialog, AnEmptyListClosesAtOnceAndTheHelpContextComesBack) {
    const int before = help.Get();
    {
        CDlgMP3Analyzing dialog(runs, settings, help);
        EXPECT_EQ(help.Get(), kHelpAnalysis);
        dialog.RunOnTracks({});
        EXPECT_EQ(dialog.Results()->GetCount(), 0);
    }
    EXPECT_EQ(help.Get(), before);
}

TEST_F(AnalysisDialog, TheLastResultLineIsInViewAndTheSummarySaysWhatWasFound) {
    const Bytes good = MakeStream(FrameShape{}, 20);
    for (int i = 0; i < 30; ++i) {
        const std::string path = dir.File("many" + std::to_string(100 + i) + ".mp3");
        WriteFile(path, good);
        Add(path);
    }
    Add(dir.File("bad.Mp3"));
    CDlgMP3Analyzing dialog(runs, settings, help);
    dialog.RunOnTracks(List());
    CColorListBox* results = dialog.Results();
    ASSERT_EQ(results->GetCount(), 62);
    const QRect last = results->visualRect(results->model()->index(61, 0));
    EXPECT_TRUE(results->viewport()->rect().contains(last)) << "the last line is out of view";
    EXPECT_GT(results->GetTopIndex(), 0);
    EXPECT_EQ(dialog.Summary(), "31 analysed: 30 OK, 1 corrupt");
}

TEST_F(AnalysisDialog, CancelDuringTheThirdFileLetsItFinishThenStops) {
    for (int i = 1; i <= 5; ++i) {
        Add(dir.File("g" + std::to_string(i) + ".mp3"));
    }
    CHeldAnalysis dialog(runs, settings, help, 3);
    bool visibleAfterEnter = false;
    bool visibleAfterClose = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.hold->Held()) {
            return;
        }
        poll.stop();
        // What the run reported reaches the dialog at the next tick.
        const QString third = QString::fromStdString(dir.File("g3.mp3"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return dialog.CurrentFile()->Path() == third; }, test::kHungMs));
        EXPECT_EQ(dialog.StageBox()->title(), "Analyzing");
        EXPECT_EQ(dialog.CurrentFile()->Path().toStdString(), dir.File("g3.mp3"));
        // Enter and the close box do not end the dialog while the run works.
        QTest::keyClick(&dialog, Qt::Key_Return);
        visibleAfterEnter = dialog.isVisible();
        dialog.close();
        visibleAfterClose = dialog.isVisible();
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.Host().IsAborted());
        dialog.hold->Release();
    });
    poll.start(5);
    dialog.RunOnTracks(List());
    EXPECT_TRUE(visibleAfterEnter);
    EXPECT_TRUE(visibleAfterClose);
    const Lines expected = {{dir.File("g1.mp3"), 0}, {kOk, 0}, {dir.File("g2.mp3"), 0}, {kOk, 0},
                            {dir.File("g3.mp3"), 0}, {kOk, 0}, {kAborted, 255}};
    EXPECT_EQ(ResultLines(dialog), expected);
    EXPECT_EQ(records[2]->checkState, AnalysedOk);
    EXPECT_EQ(records[3]->checkState, NotAnalysed);
    EXPECT_EQ(records[4]->checkState, NotAnalysed);
}

TEST_F(AnalysisDialog, CancelDuringTheLastFileAddsNoAbortLine) {
    for (int i = 1; i <= 3; ++i) {
        Add(dir.File("g" + std::to_string(i) + ".mp3"));
    }
    Add(dir.File("x.mp2"));
    CHeldAnalysis dialog(runs, settings, help, 3);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (dialog.hold->Held()) {
            poll.stop();
            QTest::keyClick(&dialog, Qt::Key_Escape);  // Escape is Cancel
            dialog.hold->Release();
        }
    });
    poll.start(5);
    dialog.RunOnTracks(List());
    ASSERT_EQ(dialog.Results()->GetCount(), 6);
    EXPECT_EQ(dialog.Results()->GetText(5).toStdString(), kOk);
    EXPECT_EQ(records[2]->checkState, AnalysedOk);
}

// Work that throws (here: out of memory after the first file) ends the run with the
// exception's text as its error, in the results and in a box; the dialog then closes.
TEST_F(AnalysisDialog, WorkThatThrowsEndsTheRunWithItsTextAsTheError) {
    Add(dir.File("g1.mp3"));
    Add(dir.File("g2.mp3"));
    class CThrowingAnalysis : public CDlgMP3Analyzing {
    public:
        using CDlgMP3Analyzing::CDlgMP3Analyzing;

    protected:
        Work MakeWork() override {
            return [](IRunHost& host, const std::vector<TrackRecord*>& tracks) {
                RunAnalysis({tracks.front()}, host, 1);
                throw std::bad_alloc();
            };
        }
    } dialog(runs, settings, help);
    QString shown;
    CModalAnswerer<QMessageBox> ok([&](QMessageBox* box) {
        shown = box->text();
        box->accept();
    });
    dialog.RunOnTracks(List());
    EXPECT_EQ(ok.Answered(), 1);
    EXPECT_EQ(shown, "std::bad_alloc");
    const Lines expected = {{dir.File("g1.mp3"), 0}, {kOk, 0}, {"std::bad_alloc", 255}};
    EXPECT_EQ(ResultLines(dialog), expected);
    EXPECT_EQ(records[0]->checkState, AnalysedOk);  // what the run did before stays done
    EXPECT_EQ(records[1]->checkState, NotAnalysed);
}

// ---- conversions --------------------------------------------------------------------------

class ConversionDialog : public DialogTest {
protected:
    static void SetUpTestSuite() {
        s_Dir = new CTempDir;
        for (int i = 1; i <= 3; ++i) {
            const std::string wav = s_Dir->File("t" + std::to_string(i) + ".wav");
            SynthWav(wav, "-r 44100 -c 2 -b 16", "1 sine " + std::to_string(300 * i));
            LameEncode(wav, s_Dir->File("t" + std::to_string(i) + ".mp3"), "-b 128");
        }
    }
    static void TearDownTestSuite() {
        delete s_Dir;
        s_Dir = nullptr;
    }
    // A copy of a generated track in this test's folder.
    std::string Track(const std::string& name) {
        const std::string to = dir.File(name);
        fs::copy_file(s_Dir->File(name), to);
        return to;
    }
    std::string Out(const std::string& name) const { return out + "/" + name; }

    static CTempDir* s_Dir;
};
CTempDir* ConversionDialog::s_Dir = nullptr;

TEST_F(ConversionDialog, Mp3ToWavConvertsAfterStartAndAsksBeforeOverwriting) {
    settings.SetNormalize(0);
    fs::create_directories(out);
    WriteFile(Out("t2.wav"), Bytes(100, 7));
    Add(Track("t1.mp3"));
    Add(Track("t2.mp3"));
    Add(Track("t3.wav"));  // not an MP3: not taken
    CDlgMP3TOWAVConverting dialog(runs, settings, help);
    EXPECT_EQ(dialog.windowTitle(), "Convert MP3 -> WAV");
    EXPECT_EQ(help.Get(), kHelpMp3ToWav);
    QStringList questions;
    CModalAnswerer<QMessageBox> yes([&](QMessageBox* box) {
        questions << box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        Press(box, QMessageBox::Yes);
    });
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.StartButton()->isEnabled());
        EXPECT_EQ(dialog.Results()->GetCount(), 0);  // nothing happens before Start
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.StartButton()->isEnabled());
        EXPECT_FALSE(dialog.SettingsButton()->isEnabled());
    });
    dialog.RunOnTracks(List());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0].toStdString(),
              "The file \n" + Out("t2.wav") + "\nalready exists, should it overwrite ?");
    const Lines expected = {{records[0]->path, 0}, {kOk, 0}, {records[1]->path, 0}, {kOk, 0}};
    EXPECT_EQ(ResultLines(dialog), expected);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i]->checkState, AnalysedOk);
        EXPECT_EQ(records[i]->convertState, ConvertedMp3ToWav);
    }
    EXPECT_EQ(records[2]->convertState, NotConverted);
    EXPECT_GT(fs::file_size(Out("t1.wav")), 100000u);
    EXPECT_GT(fs::file_size(Out("t2.wav")), 100000u);  // written over
    EXPECT_FALSE(fs::exists(Out("t3.mp3")));
}

TEST_F(ConversionDialog, NoToTheOnlyOverwriteLeavesEverythingAsItWas) {
    fs::create_directories(out);
    WriteFile(Out("t1.wav"), Bytes(100, 7));
    Add(Track("t1.mp3"));
    CDlgMP3TOWAVConverting dialog(runs, settings, help);
    CModalAnswerer<QMessageBox> no([](QMessageBox* box) { Press(box, QMessageBox::No); });
    QTimer::singleShot(0, &dialog,
                       [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
    dialog.RunOnTracks(List());
    EXPECT_EQ(no.Answered(), 1);
    EXPECT_EQ(dialog.Results()->GetCount(), 0);
    EXPECT_EQ(records[0]->checkState, NotAnalysed);
    EXPECT_EQ(records[0]->convertState, NotConverted);
    EXPECT_EQ(ReadFile(Out("t1.wav")), Bytes(100, 7));
}

TEST_F(ConversionDialog, CancelWhileAQuestionIsOpenStopsTheRun) {
    fs::create_directories(out);
    WriteFile(Out("t1.wav"), Bytes(100, 7));
    WriteFile(Out("t2.wav"), Bytes(100, 8));
    Add(Track("t1.mp3"));
    Add(Track("t2.mp3"));
    Add(Track("t3.mp3"));
    CDlgMP3TOWAVConverting dialog(runs, settings, help);
    bool boxClosed = false;
    CModalAnswerer<QMessageBox> cancel(
        [&](QMessageBox* box) {
            QPointer<QMessageBox> watched(box);
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);  // the run dialog's Cancel
            boxClosed = watched.isNull() || !watched->isVisible();
        },
        -1);
    QTimer::singleShot(0, &dialog,
                       [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
    dialog.RunOnTracks(List());
    EXPECT_EQ(cancel.Answered(), 1);  // the second existing output is not asked about
    EXPECT_TRUE(boxClosed);
    const Lines expected = {{kAborted, 255}};
    EXPECT_EQ(ResultLines(dialog), expected);
    for (const auto& r : records) {
        EXPECT_EQ(r->checkState, NotAnalysed);
        EXPECT_EQ(r->convertState, NotConverted);
    }
    EXPECT_EQ(ReadFile(Out("t1.wav")), Bytes(100, 7));
    EXPECT_EQ(ReadFile(Out("t2.wav")), Bytes(100, 8));
    EXPECT_FALSE(fs::exists(Out("t3.wav")));
}

TEST_F(ConversionDialog, StartWithNothingToConvertClosesAfterThePause) {
    Add(Track("t1.mp3"));
    CDlgWAVTOMP3Converting dialog(runs, settings, help);
    QTimer::singleShot(0, &dialog,
                       [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
    dialog.RunOnTracks(List());
    EXPECT_EQ(dialog.Results()->GetCount(), 0);
    EXPECT_EQ(records[0]->convertState, NotConverted);
}

TEST_F(ConversionDialog, CancelBeforeStartClosesWithoutARun) {
    Add(Track("t1.mp3"));
    CDlgMP3TOWAVConverting dialog(runs, settings, help);
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Return);  // no default button
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    dialog.RunOnTracks(List());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(records[0]->checkState, NotAnalysed);
}

TEST_F(ConversionDialog, WavToMp3EncodesEachWav) {
    Add(Track("t1.wav"));
    Add(Track("t1.mp3"));  // not a WAV
    Add(Track("t2.wav"));
    CDlgWAVTOMP3Converting dialog(runs, settings, help);
    EXPECT_EQ(dialog.windowTitle(), "Convert WAV -> MP3");
    EXPECT_EQ(help.Get(), kHelpWavToMp3);
    QTimer::singleShot(0, &dialog,
                       [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
    dialog.RunOnTracks(List());
    const Lines expected = {{Out("t1.mp3"), 0}, {kOk, 0}, {Out("t2.mp3"), 0}, {kOk, 0}};
    EXPECT_EQ(ResultLines(dialog), expected);
    EXPECT_EQ(records[0]->convertState, ConvertedWavToMp3);
    EXPECT_EQ(records[0]->checkState, AnalysedOk);
    EXPECT_EQ(records[1]->convertState, NotConverted);
    EXPECT_EQ(records[2]->convertState, ConvertedWavToMp3);
    EXPECT_GT(fs::file_size(Out("t1.mp3")), 5000u);
    EXPECT_GT(fs::file_size(Out("t2.mp3")), 5000u);
    EXPECT_EQ(dialog.Summary(), "2 converted, 0 failed");
}

TEST_F(ConversionDialog, Mp3ToMp3RefusesTheSourceFolderUntilTheSettingsChangeIt) {
    Add(Track("t1.mp3"));
    settings.SetTrackDir(dir.Path());  // the folder of the source
    CDlgMP3TOMP3Converting dialog(runs, settings, help);
    EXPECT_EQ(dialog.windowTitle(), "Convert MP3 -> MP3");
    EXPECT_EQ(help.Get(), kHelpMp3ToMp3);
    QString warning;
    CModalAnswerer<QMessageBox> ok([&](QMessageBox* box) {
        warning = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        Press(box, QMessageBox::Ok);
    });
    int sheetHelp = 0;
    CModalAnswerer<CConfigSheet> sheet([&](CConfigSheet* s) {
        sheetHelp = help.Get();
        s->GeneralPage()->ChooseFolder(QString::fromStdString(out));
        QTest::mouseClick(s->OkButton(), Qt::LeftButton);
    });
    QTimer poll;
    int step = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (step == 0) {
            QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
            step = 1;
        } else if (step == 1 && ok.Answered() == 1 && !dialog.IsRunning() &&
                   dialog.StartButton()->isEnabled()) {
            EXPECT_TRUE(dialog.isVisible());  // refused: the dialog stays open
            EXPECT_EQ(dialog.Results()->GetCount(), 0);
            step = 2;
            QTest::mouseClick(dialog.SettingsButton(), Qt::LeftButton);  // modal: returns after OK
            EXPECT_EQ(help.Get(), kHelpMp3ToMp3);
            QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
            poll.stop();
        }
    });
    poll.start(10);
    dialog.RunOnTracks(List());
    EXPECT_TRUE(warning.startsWith("ATTENTION: The track directory for your original files AND"));
    EXPECT_EQ(sheetHelp, kHelpOptions);
    const Lines expected = {{Out("t1.mp3"), 0}, {kOk, 0}};
    EXPECT_EQ(ResultLines(dialog), expected);
    EXPECT_EQ(records[0]->convertState, ReencodedMp3);
    EXPECT_GT(fs::file_size(Out("t1.mp3")), 5000u);
    EXPECT_EQ(fs::file_size(records[0]->path), fs::file_size(s_Dir->File("t1.mp3")));
}

}  // namespace
}  // namespace sonvara::test
