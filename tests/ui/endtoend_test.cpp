// The main window driven as a user drives it: a folder chosen in the tree, its tracks added by
// a double click, all analysed, sorted by "Check", the report saved through the file dialog,
// the corrupt files moved to a folder. With SONVARA_SHOTS set to a folder it also saves
// pictures of the window (empty, after the analysis, sorted), and SONVARA_E2E_TRACKS sets how
// many tracks the generated collection holds (scripts/screenshots-main.sh).
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/rundialogs.h"
#include "app/sonvaraapp.h"
#include "support/encoders.h"
#include "support/runevents.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/dialogasker.h"
#include "ui/fileicons.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/foldertreemodel.h"
#include "ui/helpbrowser.h"
#include "ui/helpcontext.h"
#include "ui/mainframe.h"
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

class EndToEnd : public ::testing::Test {
protected:
    // After a modal dialog the window must be active again before keys reach its shortcuts
    // (no window manager under xvfb-run does it).
    void Activate(QWidget* focus) {
        m_Frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_Frame.get(), test::kHungMs));
        focus->setFocus();
        QApplication::processEvents();
    }
    void Shot(const char* name) {
        const QByteArray dir = qgetenv("SONVARA_SHOTS");
        if (!dir.isEmpty()) {
            QApplication::processEvents();
            m_Frame->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
        }
    }
    CTempDir m_Dir;
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;                      // outlives the document and its views
    CDialogAsker m_Asker{m_Runs.Strings()};  // the real file dialogs and boxes, over the frame
    CFileIconCache m_Icons;                  // the views' file icons, this test's own
    CHelpContext m_Help;
    CHelpBrowserHost m_HelpBrowser;
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::unique_ptr<CMainFrame> m_Frame;
};

TEST_F(EndToEnd, FromAFolderToAReportAndTheCorruptFilesMoved) {
    // A generated collection: lame-encoded tracks, hand-built streams, some of them damaged.
    const int total = std::max(5, qEnvironmentVariableIntValue("SONVARA_E2E_TRACKS"));
    const std::string music = m_Dir.File("music");
    fs::create_directories(music);
    fs::create_directories(m_Dir.File("music/sub"));
    int corrupt = 0;
    ASSERT_TRUE(test::HaveTool("sox") && test::HaveTool("lame"));
    const std::string wav = test::SynthWav(m_Dir.File("tone.wav"), "-r 44100 -c 2", "2 sine 440");
    test::LameEncode(wav, music + "/Intro.mp3", "--quiet -b 128 --tt Intro --ta Band");
    for (int i = 1; i < total; ++i) {
        char name[64];
        const bool damaged = i % 4 == 1;
        std::snprintf(name, sizeof name, "%s %02d.mp3", damaged ? "Take" : "Song", i);
        test::WriteFile(music + "/" + name,
                        damaged ? test::CorruptMp3(40 + i) : test::GoodMp3(40 + 10 * i));
        corrupt += damaged ? 1 : 0;
    }
    test::WriteFile(music + "/readme.txt", {'h', 'i'});
    m_Profile.SetString("LastPath", "Path", m_Dir.Path());

    m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker);
    m_Frame = std::make_unique<CMainFrame>(*m_Doc, m_Profile, m_Icons);
    m_Asker.SetParent(m_Frame.get());
    CSonvaraApp app(*m_Frame, *m_Doc, m_Settings, m_Help, m_HelpBrowser);
    m_Frame->SetAppTarget(&app);
    InstallRunDialogs(*m_Doc, m_Settings, m_Help, {}, m_Frame.get());
    m_Frame->resize(1100, 700);
    m_Frame->ShowAtStart();
    m_Frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_Frame.get(), test::kHungMs));
    CFolderTreeCtrl* tree = m_Frame->GetTreeView()->Tree();
    ASSERT_TRUE(test::WaitFor(
        [&] { return tree->SelectedPath() == QString::fromStdString(m_Dir.Path()); }));
    Shot("1-empty");

    // The tree: open the temporary folder and click "music".
    QTest::keyClick(tree, Qt::Key_Right);  // expands the selected folder
    CFolderTreeModel* folders = tree->FolderModel();
    const QModelIndex current = tree->currentIndex();
    ASSERT_TRUE(test::WaitFor([&] {
        return folders->rowCount(current) > 0 &&
               !folders->IsPlaceholder(folders->index(0, 0, current));
    }));
    QModelIndex musicItem;
    for (int r = 0; r < folders->rowCount(current); ++r) {
        if (folders->index(r, 0, current).data().toString() == "music") {
            musicItem = folders->index(r, 0, current);
        }
    }
    ASSERT_TRUE(musicItem.isValid());
    tree->scrollTo(musicItem);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualRect(musicItem).center());
    EXPECT_EQ(m_Doc->GetCurrentFolder(), music);

    // The file list: every track file of the folder; select all and double-click one.
    CListTracksView* files = m_Frame->GetTrackFilesView();
    ASSERT_TRUE(test::WaitFor([&] { return files->FileModel()->rowCount() == total; }));
    files->setFocus();
    QTest::keyClick(files, Qt::Key_A);
    const QRect first = files->visualRect(files->FileModel()->index(0, 0));
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    ASSERT_TRUE(test::WaitFor([&] { return m_Doc->GetTrackCount() == total; }));
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneTracks)->text(), QString("Tracks: %1").arg(total));

    // Analyse all from the keyboard with the working list active; no question is asked.
    CListSelectedTracksListView* list = m_Frame->GetSelectedTracksView();
    Activate(list);
    ASSERT_TRUE(m_Frame->Action(cmd::kAnalyze)->isEnabled());
    QTest::keyClick(list, Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(test::WaitFor(
        [&] {
            for (std::size_t i = 0; i < m_Doc->Tracks().GetTrackCount(); ++i) {
                if (m_Doc->Tracks().At(i).checkState == NotAnalysed) {
                    return false;
                }
            }
            return QApplication::activeModalWidget() == nullptr;
        },
        120000))
        << [&] {
               std::string states;
               for (std::size_t i = 0; i < m_Doc->Tracks().GetTrackCount(); ++i) {
                   states += m_Doc->Tracks().At(i).path + "=" +
                             std::to_string(m_Doc->Tracks().At(i).checkState) + " ";
               }
               return states;
           }();
    Shot("2-analysed");

    // Sort by "Check" with a click on its header: descending puts "OK" first.
    QHeaderView* header = list->horizontalHeader();
    const int x = header->sectionViewportPosition(CTrackListModel::kCheck) + 10;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    auto* model = list->TrackModel();
    EXPECT_EQ(model->index(0, CTrackListModel::kCheck).data().toString(), "OK");
    EXPECT_EQ(model->index(total - 1, CTrackListModel::kCheck).data().toString(), "Corrupt");
    Shot("3-sorted");

    // Save the report through the file dialog, answered as a user would.
    const std::string report = m_Dir.File("report.txt");
    CModalAnswerer save([&](QWidget* w) { return test::TypeIntoFileDialog(w, report); });
    Activate(list);
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(save.Answered());
    const std::string text = test::ReadText(report);
    ASSERT_EQ(text.rfind("Analysis Results:\n\nFile: ", 0), 0u);
    // In the order shown: the first row first, the corrupt ones last.
    const std::string firstShown =
        model->index(0, CTrackListModel::kPath).data().toString().toStdString();
    EXPECT_EQ(text.find("File: " + firstShown), std::string("Analysis Results:\n\n").size());
    EXPECT_LT(text.rfind("Check: OK"), text.find("Check: Corrupt"));

    // Move the corrupt files to a new folder chosen in the folder picker.
    const std::string target = m_Dir.File("corrupt");
    fs::create_directories(target);
    CModalAnswerer pick([&](QWidget* w) { return test::TypeIntoFileDialog(w, target); });
    ASSERT_TRUE(m_Frame->Action(cmd::kMoveCorrupt)->isEnabled());
    Activate(list);
    QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(pick.Answered());
    EXPECT_EQ(model->rowCount(), total - corrupt);
    for (int r = 0; r < model->rowCount(); ++r) {
        EXPECT_EQ(model->index(r, CTrackListModel::kCheck).data().toString(), "OK");
    }
    int moved = 0;
    for (const auto& entry : fs::directory_iterator(target)) {
        EXPECT_EQ(entry.path().filename().string().rfind("Take", 0), 0u);
        EXPECT_FALSE(fs::exists(music + "/" + entry.path().filename().string()));
        ++moved;
    }
    EXPECT_EQ(moved, corrupt);
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneMp3s)->text(), QString("MP3s: %1").arg(total - corrupt));
    m_Frame->close();
}

}  // namespace
}  // namespace sonvara
