// The main window for keyboard users and careful eyes: panes by key, sorting from the menu, the
// context menu by key, the header's sort arrows only while the rows are in their order, corrupt
// rows in red, the last run's summary in the status bar, columns sized to their content, drops
// taken as copies, a floating toolbar that comes back, and a remembered folder that is gone.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/rundialogs.h"
#include "support/runevents.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/fileicons.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/helpcontext.h"
#include "ui/mainframe.h"
#include "ui/multicolumnsortlistview.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"
#include "ui/tracklistview.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

namespace fs = std::filesystem;
using Model = CTrackListModel;

class Window : public ::testing::Test {
protected:
    void Open() {
        m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker);
        m_Frame = std::make_unique<CMainFrame>(*m_Doc, m_Profile, m_Icons);
    }
    void Show() {
        Open();
        m_Frame->ShowAtStart();
        m_Frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_Frame.get(), test::kHungMs));
    }
    void TearDown() override {
        m_Frame.reset();
        m_Doc.reset();
    }
    // Tracks named as given, each `frames` hand-built frames long (good or corrupt).
    std::vector<std::string> Tracks(std::initializer_list<const char*> names, int frames = 40,
                                    bool corrupt = false) {
        std::vector<std::string> paths;
        for (const char* name : names) {
            paths.push_back(m_Dir.File(name));
            test::WriteFile(paths.back(),
                            corrupt ? test::CorruptMp3(frames) : test::GoodMp3(frames));
        }
        return paths;
    }
    QString Cell(int row, int column) const {
        return List()->model()->index(row, column).data().toString();
    }
    CListSelectedTracksListView* List() const { return m_Frame->GetSelectedTracksView(); }
    QAction* Find(const char* name) const { return m_Frame->findChild<QAction*>(name); }

    test::CTempDir m_Dir;
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;  // outlives the document and its views
    test::CScriptedAsker m_Asker;
    CFileIconCache m_Icons;  // the views' file icons, this test's own
    CHelpContext m_Help;
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::unique_ptr<CMainFrame> m_Frame;
};

TEST_F(Window, TabAndF6WalkThePanesAndShiftF10OpensTheContextMenu) {
    Show();
    m_Doc->AddTracks(Tracks({"a.mp3", "b.mp3"}));
    QWidget* tree = m_Frame->GetTreeView()->Tree();
    QWidget* files = m_Frame->GetTrackFilesView();
    // The read dialog had the keyboard a moment ago: the window takes it back.
    m_Frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_Frame.get(), test::kHungMs));
    const auto keyTo = [](QWidget* from, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        from->setFocus();
        QTest::keyClick(from, key, modifiers);
        return QApplication::focusWidget();
    };
    // Tab leaves the working list (it does not walk its cells), and walks the panes in order.
    EXPECT_EQ(keyTo(tree, Qt::Key_Tab), files);
    EXPECT_EQ(keyTo(files, Qt::Key_Tab), List());
    EXPECT_NE(keyTo(List(), Qt::Key_Tab), List());
    EXPECT_EQ(keyTo(List(), Qt::Key_Backtab, Qt::ShiftModifier), files);
    // F6 and Shift+F6 cycle the three panes.
    EXPECT_EQ(keyTo(tree, Qt::Key_F6), files);
    EXPECT_EQ(keyTo(List(), Qt::Key_F6), tree);
    EXPECT_EQ(keyTo(tree, Qt::Key_F6, Qt::ShiftModifier), List());
    // Shift+F10 opens the context menu of the pane with the keyboard, as the Menu key does.
    for (QWidget* pane : {tree, files, static_cast<QWidget*>(List())}) {
        keyTo(pane, Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_TRUE(test::RunEventsUntil([] { return QApplication::activePopupWidget(); }));
        QApplication::activePopupWidget()->close();
    }
}

TEST_F(Window, SortByInTheViewMenuSortsAsTheHeaderDoesAndTheReportFollows) {
    Show();
    m_Doc->AddTracks(Tracks({"b.mp3", "c.mp3"}, 80));
    m_Doc->AddTracks(Tracks({"a.mp3"}, 40));
    ASSERT_NE(Find("sortBy0"), nullptr);
    Find("sortBy0")->trigger();  // File, descending at first, as a first header click
    EXPECT_EQ(Cell(0, Model::kFile), "c.mp3");
    EXPECT_EQ(m_Doc->Tracks().At(0).path, m_Dir.File("c.mp3"));  // the document follows
    Find("sortBy0")->trigger();
    EXPECT_EQ(Cell(0, Model::kFile), "a.mp3");
    // "Then By" adds a key as Ctrl+click does: Length first, then File within equal lengths.
    Find("sortBy6")->trigger();
    Find("thenBy0")->trigger();
    EXPECT_EQ(List()->SortKeys(), (std::vector<int>{Model::kLength, Model::kFile}));
    EXPECT_EQ(Cell(0, Model::kLength), Cell(1, Model::kLength));
    EXPECT_NE(Cell(0, Model::kLength), Cell(2, Model::kLength));
}

TEST_F(Window, TheSortArrowsGoWhenTheRowsNoLongerStandInTheirOrder) {
    Show();
    m_Doc->AddTracks(Tracks({"m.mp3", "n.mp3"}));
    List()->SortByColumn(Model::kFile, false);  // descending: n, m
    ASSERT_EQ(List()->SortKeys(), std::vector<int>{Model::kFile});
    m_Doc->AddTracks(Tracks({"a.mp3"}));  // appended last: still descending
    EXPECT_EQ(List()->SortKeys(), std::vector<int>{Model::kFile});
    m_Doc->AddTracks(Tracks({"z.mp3"}));  // appended last, but sorts first
    EXPECT_TRUE(List()->SortKeys().empty());
    // A sort by Check, then an analysis that changes the verdicts, undoes the order too.
    List()->SortByColumn(Model::kCheck, false);
    ASSERT_FALSE(List()->SortKeys().empty());
    m_Doc->Tracks().At(3).checkState = AnalysedOk;  // "OK" last, under "no": out of order
    m_Doc->UpdateViews();
    EXPECT_TRUE(List()->SortKeys().empty());
}

TEST_F(Window, ARunLeavesItsSummaryAndCorruptRowsTurnRed) {
    Show();
    InstallRunDialogs(*m_Doc, m_Settings, m_Help, {}, m_Frame.get());
    m_Doc->AddTracks(Tracks({"good.mp3"}));
    m_Doc->AddTracks(Tracks({"bad.mp3"}, 40, true));
    m_Frame->OnCommand(cmd::kAnalyze);  // the dialog closes itself when the run ends
    EXPECT_EQ(m_Frame->RunSummary(), "2 analysed: 1 OK, 1 corrupt");
    const auto colour = [&](int row) {
        return List()->model()->index(row, Model::kFile).data(Qt::ForegroundRole);
    };
    EXPECT_FALSE(colour(0).isValid());
    EXPECT_EQ(colour(1).value<QBrush>().color(), QColor(255, 0, 0));
    // Until the next command.
    m_Frame->OnCommand(cmd::kViewStatusBar);
    m_Frame->OnCommand(cmd::kViewStatusBar);
    EXPECT_EQ(m_Frame->RunSummary(), "");
}

TEST_F(Window, AtFirstStartTheColumnsFitTheirTitleArrowAndTexts) {
    Show();
    m_Doc->AddTracks(Tracks({"a.mp3"}));
    const QFontMetrics metrics = List()->fontMetrics();
    EXPECT_GT(List()->columnWidth(Model::kConvert), metrics.horizontalAdvance("MP3 -> WAV"));
    EXPECT_GE(List()->columnWidth(Model::kLength),
              List()->horizontalHeader()->sectionSizeHint(Model::kLength));
    // Widths the user set are kept from then on.
    List()->setColumnWidth(Model::kConvert, 150);
    m_Doc->AddTracks(Tracks({"b.mp3"}));
    EXPECT_EQ(List()->columnWidth(Model::kConvert), 150);
}

TEST_F(Window, ADropIsAlwaysACopy) {
    Show();
    const std::vector<std::string> paths = Tracks({"dropped.mp3"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(paths[0]))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);  // what a file manager proposes
    QApplication::sendEvent(List()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    ASSERT_TRUE(test::RunEventsUntil([&] { return m_Doc->GetTrackCount() == 1; }));
    EXPECT_TRUE(fs::exists(paths[0]));
}

TEST_F(Window, AToolbarLeftFloatingComesBackVisible) {
    Show();
    QToolBar* bar = m_Frame->MainToolBar();
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);  // as dragging it off the frame does
    bar->show();
    ASSERT_TRUE(bar->isFloating());
    m_Frame->close();
    Show();
    EXPECT_TRUE(m_Frame->MainToolBar()->isFloating());
    EXPECT_TRUE(m_Frame->MainToolBar()->isVisible());
    EXPECT_TRUE(m_Frame->Action(cmd::kViewToolbar)->isChecked());
}

TEST_F(Window, ARememberedFolderThatIsGoneLeavesTheTreeAsItWas) {
    const std::string kept = m_Dir.File("kept");
    fs::create_directories(kept + "/inner");
    m_Profile.SetString("LastPath", "Path", kept + "/gone/deeper");
    Open();
    CFolderTreeCtrl* tree = m_Frame->GetTreeView()->Tree();
    ASSERT_TRUE(test::RunEventsUntil([&] { return !tree->IsWalking(); }));
    // No folder of the walk stays open: the tree shows only its roots, opened as before.
    QAbstractItemModel* model = tree->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        EXPECT_FALSE(tree->isExpanded(model->index(row, 0))) << row;
    }
}

}  // namespace
}  // namespace sonvara
