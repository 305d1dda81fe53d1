// Pictures of each dialog in the middle of a run, for a person to look at: run by
// scripts/screenshots-dialogs.sh under a real X server. Skipped unless SONVARA_SCREENSHOT_DIR
// names the folder for the pictures.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QtTest/QTest>
#include <filesystem>
#include <type_traits>

#include "runs/addtracks.h"
#include "runs/analysisrun.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/runevents.h"
#include "ui/colorlistbox.h"
#include "ui/configsheet.h"
#include "ui/dialogfixture.h"
#include "ui/dlgmp3analyzing.h"
#include "ui/dlgmp3tomp3converting.h"
#include "ui/dlgmp3towavconverting.h"
#include "ui/dlgreadfilesinfo.h"
#include "ui/dlgwavtomp3converting.h"
#include "ui/modalanswerer.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

QString ShotDir() {
    return qEnvironmentVariable("SONVARA_SCREENSHOT_DIR");
}

void Save(QWidget* w, const QString& name) {
    const QString path = ShotDir() + "/" + name;
    EXPECT_TRUE(w->grab().save(path)) << path.toStdString();
}

void SaveScreen(const QString& name) {
    const QString path = ShotDir() + "/" + name;
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(path)) << path.toStdString();
}

class CHeldAnalysisShot : public CDlgMP3Analyzing {
public:
    CHeldAnalysisShot(CRunService& runs, CSettings& s, CHelpContext& help)
        : CDlgMP3Analyzing(runs, s, help), hold(std::make_shared<CHoldingHost>(Host(), 4, 40)) {}
    ~CHeldAnalysisShot() override { hold->Release(); }
    std::shared_ptr<CHoldingHost> hold;

protected:
    Work MakeWork() override {
        return [hold = hold](IRunHost&, const std::vector<TrackRecord*>& tracks) {
            RunAnalysis(tracks, *hold, 1);
        };
    }
};

template <typename Dialog>
class CHeldConversionShot : public Dialog {
public:
    CHeldConversionShot(CRunService& runs, CSettings& s, CHelpContext& help, int file,
                        const std::string& stage)
        : Dialog(runs, s, help),
          hold(std::make_shared<CHoldingHost>(this->Host(), file, 50, stage)) {}
    ~CHeldConversionShot() override { hold->Release(); }
    std::shared_ptr<CHoldingHost> hold;

protected:
    CRunDialog::Work MakeWork() override {
        return [mode = this->Mode(), settings = this->RunSettings(), hold = hold](
                   IRunHost&, const std::vector<TrackRecord*>& tracks) {
            CConversionRun run(mode, *hold);
            if (run.Start(settings, tracks)) {
                run.Walk(tracks, 1);
            }
        };
    }
};

// The read dialog held at the progress report before it reads the eleventh of the new files
// (the progress moves every tenth file).
class CHeldReadShot : public CDlgReadFilesInfo {
public:
    CHeldReadShot(CRunService& runs, std::vector<std::string> paths)
        : CDlgReadFilesInfo(runs, paths, true),
          m_Paths(std::make_shared<const std::vector<std::string>>(std::move(paths))),
          hold(std::make_shared<CHoldingHost>(Host(), 11, 0)) {}
    ~CHeldReadShot() override { hold->Release(); }

protected:
    Work MakeWork() override {
        return [paths = m_Paths, hold = hold](IRunHost&, const std::vector<TrackRecord*>&) {
            ReadTracks(*paths, true, *hold, {}, 1);
        };
    }

private:
    std::shared_ptr<const std::vector<std::string>> m_Paths;

public:
    std::shared_ptr<CHoldingHost> hold;
};

class Screenshots : public DialogTest {
protected:
    void SetUp() override {
        if (ShotDir().isEmpty()) {
            GTEST_SKIP() << "SONVARA_SCREENSHOT_DIR is not set";
        }
        QDir().mkpath(ShotDir());
        DialogTest::SetUp();
        fs::create_directories(dir.File("Music/Artist - Album"));
    }
    std::string Music(const std::string& name) { return dir.File("Music/Artist - Album/" + name); }

    // Shows the dialog, waits until the worker is held, lets the progress timer show the
    // latest value, saves the picture and lets the run go on. The read dialog starts its run
    // by itself when shown; the others run on the fixture's tracks.
    template <typename Dialog>
    void ShootWhenHeld(Dialog& dialog, const QString& name,
                       const std::function<void()>& start = {}) {
        QTimer poll;
        bool started = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!started && dialog.isVisible()) {
                started = true;
                if (start) {
                    start();
                }
            }
            if (!dialog.hold->Held()) {
                return;
            }
            poll.stop();
            QTest::qWait(120);
            Save(&dialog, name);
            dialog.hold->Release();
        });
        poll.start(10);
        if constexpr (std::is_base_of_v<CDlgReadFilesInfo, Dialog>) {
            dialog.exec();
        } else {
            dialog.RunOnTracks(List());
        }
    }
};

TEST_F(Screenshots, AnalysisMidRun) {
    const Bytes good = MakeStream(FrameShape{}, 2000);
    Bytes bad = good;
    bad.erase(bad.begin() + 3000, bad.begin() + 3100);
    const char* names[] = {"01 Opening.mp3", "02 Broken Song.mp3", "03 Interlude.mp3",
                           "04 A rather long title that will not fit the line.mp3",
                           "05 Finale.mp3"};
    for (int i = 0; i < 5; ++i) {
        WriteFile(Music(names[i]), i == 1 ? bad : good);
        Add(Music(names[i]));
    }
    CHeldAnalysisShot dialog(runs, settings, help);
    ShootWhenHeld(dialog, "analysis.png", [&] {
        QTimer::singleShot(60, &dialog, [&] {
            dialog.Results()->setCurrentIndex(dialog.Results()->model()->index(3, 0));
        });
    });
}

TEST_F(Screenshots, ReadFilesMidRun) {
    const Bytes track = MakeStream(FrameShape{}, 400);
    std::vector<std::string> paths;
    for (int i = 1; i <= 24; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        paths.push_back(
            Music(number + (i == 11 ? " A rather long title that will not fit the line.mp3"
                                    : " Track " + number + ".mp3")));
        WriteFile(paths.back(), track);
    }
    CHeldReadShot dialog(runs, paths);
    ShootWhenHeld(dialog, "readfiles.png");
}

class ConversionShots : public Screenshots {
protected:
    void MakeTracks(bool wav) {
        for (int i = 1; i <= 3; ++i) {
            const std::string base = Music("0" + std::to_string(i) + " Track");
            SynthWav(base + ".wav", "-r 44100 -c 2 -b 16", "20 sine " + std::to_string(220 * i));
            if (!wav) {
                LameEncode(base + ".wav", base + ".mp3", "-b 128");
                fs::remove(base + ".wav");
            }
            Add(base + (wav ? ".wav" : ".mp3"));
        }
    }
};

TEST_F(ConversionShots, Mp3ToWavMidRun) {
    MakeTracks(false);
    settings.SetNormalize(0);
    CHeldConversionShot<CDlgMP3TOWAVConverting> dialog(runs, settings, help, 2, "Converting");
    ShootWhenHeld(dialog, "mp3towav.png",
                  [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
}

TEST_F(ConversionShots, Mp3ToWavQuestion) {
    MakeTracks(false);
    settings.SetNormalize(0);
    fs::create_directories(out);
    WriteFile(out + "/02 Track.wav", Bytes(10, 0));
    CDlgMP3TOWAVConverting dialog(runs, settings, help);
    CModalAnswerer<QMessageBox> answer([&](QMessageBox* box) {
        QTest::qWait(150);
        SaveScreen("mp3towav-question.png");
        Save(box, "question-box.png");
        Press(box, QMessageBox::No);
    });
    QTimer::singleShot(50, &dialog,
                       [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
    dialog.RunOnTracks(List());
}

TEST_F(ConversionShots, WavToMp3MidRun) {
    MakeTracks(true);
    CHeldConversionShot<CDlgWAVTOMP3Converting> dialog(runs, settings, help, 2, "");
    ShootWhenHeld(dialog, "wavtomp3.png",
                  [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
}

TEST_F(ConversionShots, Mp3ToMp3MidRun) {
    MakeTracks(false);
    CHeldConversionShot<CDlgMP3TOMP3Converting> dialog(runs, settings, help, 2, "");
    ShootWhenHeld(dialog, "mp3tomp3.png",
                  [&] { QTest::mouseClick(dialog.StartButton(), Qt::LeftButton); });
}

TEST_F(Screenshots, OptionsSheet) {
    CConfigSheet sheet(settings, help);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet, test::kHungMs));
    QTest::qWait(50);
    Save(&sheet, "options-general.png");
    sheet.Tabs()->setCurrentIndex(1);
    QTest::qWait(50);
    Save(&sheet, "options-encoder.png");
    sheet.reject();
}

}  // namespace
}  // namespace sonvara::test
