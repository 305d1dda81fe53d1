// The main frame: command routing by the active pane, the splitters and their stored sizes,
// the window placement, the status bar panes, and names for assistive technology.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

#include "support/runevents.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/fileicons.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/mainframe.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistview.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

class Frame : public ::testing::Test {
protected:
    void Open() {
        m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker);
        m_Frame = std::make_unique<CMainFrame>(*m_Doc, m_Profile, m_Icons);
    }
    void TearDown() override {
        m_Frame.reset();
        m_Doc.reset();
    }
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;  // outlives the document and its views
    test::CScriptedAsker m_Asker;
    CFileIconCache m_Icons;  // the views' file icons, this test's own
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::unique_ptr<CMainFrame> m_Frame;
};

TEST_F(Frame, AddTracksIsEnabledOnlyWhileALeftPaneIsActive) {
    Open();
    m_Frame->ShowAtStart();
    EXPECT_EQ(m_Frame->ActivePane(), m_Frame->GetSelectedTracksView());
    EXPECT_FALSE(m_Frame->Action(cmd::kAddTracks)->isEnabled());
    m_Frame->GetTreeView()->Tree()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(m_Frame->ActivePane(), m_Frame->GetTreeView());
    EXPECT_TRUE(m_Frame->Action(cmd::kAddTracks)->isEnabled());
    // The working list's own commands have no handler there.
    EXPECT_FALSE(m_Frame->Action(cmd::kRemoveTracks)->isEnabled());
    m_Frame->GetTrackFilesView()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(m_Frame->Action(cmd::kAddTracks)->isEnabled());  // no row selected
    EXPECT_TRUE(m_Frame->Action(cmd::kExit)->isEnabled());
    EXPECT_FALSE(m_Frame->Action(cmd::kSaveResults)->isEnabled());  // empty list
}

TEST_F(Frame, MenusCarryEveryCommandWithItsAccelerator) {
    Open();
    QStringList titles;
    for (QAction* menu : m_Frame->menuBar()->actions()) {
        titles << menu->text();
    }
    EXPECT_EQ(titles, (QStringList{"&File", "&Sonvara", "&Edit", "&Options", "&View", "&Help"}));
    const struct {
        int id;
        const char* text;
        const char* key;
    } expected[] = {{cmd::kSaveResults, "&Save Analysis Results...", "Ctrl+S"},
                    {cmd::kMoveCorrupt, "&Move && Save Corrupt Files...", "Ctrl+L"},
                    {cmd::kAnalyze, "&Analyze...", "Ctrl+O"},
                    {cmd::kMp3ToWav, "&Convert MP3 -> WAV...", "Ctrl+W"},
                    {cmd::kWavToMp3, "C&onvert WAV -> MP3...", "Ctrl+M"},
                    {cmd::kMp3ToMp3, "C&onvert MP3 -> MP3...", "Ctrl+P"},
                    {cmd::kEditTags, "&Edit ID3-Tags", "Alt+I"},
                    {cmd::kAddTracks, "Add &Tracks", "Alt+T"},
                    {cmd::kRemoveTracks, "&Remove Tracks", ""},
                    {cmd::kPlayTrack, "&Play Track", "Alt+P"},
                    {cmd::kStopPlaying, "&Stop Playing", "Alt+S"},
                    {cmd::kNewDocument, "New", "Ctrl+N"}};
    for (const auto& e : expected) {
        QAction* action = m_Frame->Action(e.id);
        ASSERT_NE(action, nullptr) << e.id;
        EXPECT_EQ(action->text(), e.text);
        EXPECT_EQ(action->shortcut(), QKeySequence(e.key)) << e.text;
    }
    QToolBar* bar = m_Frame->MainToolBar();
    EXPECT_EQ(bar->iconSize(), QSize(48, 48));
    QList<int> ids;
    for (QAction* action : bar->actions()) {
        ids << (action->isSeparator() ? 0 : action->data().toInt());
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
            EXPECT_FALSE(action->icon().pixmap(48, 48).isNull());
            EXPECT_FALSE(action->icon().pixmap(16, 16).isNull());
        }
    }
    EXPECT_EQ(ids, (QList<int>{57603, 32773, 0, 1000, 32782, 32770, 32785, 0, 32777, 0, 32790,
                               32769, 0, 32821, 32820}));
}

TEST_F(Frame, EveryViewButtonAndActionHasAnAccessibleName) {
    Open();
    m_Frame->ShowAtStart();
    for (QAction* action : m_Frame->findChildren<QAction*>()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
            EXPECT_FALSE(action->text().isEmpty()) << action->objectName().toStdString();
        }
    }
    for (QToolButton* button : m_Frame->MainToolBar()->findChildren<QToolButton*>()) {
        if (button->defaultAction() != nullptr) {
            EXPECT_FALSE(button->accessibleName().isEmpty());
        }
    }
    for (QWidget* view : std::initializer_list<QWidget*>{
             m_Frame->GetSelectedTracksView(), m_Frame->GetTrackFilesView(), m_Frame->GetTreeView(),
             m_Frame->GetTreeView()->Tree(), m_Frame->menuBar()}) {
        EXPECT_FALSE(view->accessibleName().isEmpty()) << view->objectName().toStdString();
    }
}

TEST_F(Frame, StatusBarPanesStartAtZeroAndFollowTheList) {
    Open();
    m_Frame->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Frame.get(), test::kHungMs));
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneTracks)->text(), "Tracks: 0");
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneWavs)->text(), "WAVs: 0");
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneMp3s)->text(), "MP3s: 0");
    // In this order, each wide enough for its initial text with the blanks.
    EXPECT_LT(m_Frame->Pane(cmd::kPaneTracks)->x(), m_Frame->Pane(cmd::kPaneWavs)->x());
    EXPECT_LT(m_Frame->Pane(cmd::kPaneWavs)->x(), m_Frame->Pane(cmd::kPaneMp3s)->x());
    const QFontMetrics metrics(m_Frame->Pane(cmd::kPaneMp3s)->font());
    EXPECT_GE(m_Frame->Pane(cmd::kPaneMp3s)->width(), metrics.horizontalAdvance("MP3s: 0        "));
    auto record = std::make_unique<TrackRecord>();
    record->path = "/x/a.wav";
    m_Doc->Tracks().Append(std::move(record));
    m_Doc->UpdateViews();
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneTracks)->text(), "Tracks: 1");
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneWavs)->text(), "WAVs: 1");
    EXPECT_EQ(m_Frame->Pane(cmd::kPaneMp3s)->text(), "MP3s: 0");
}

TEST_F(Frame, LeftPanesStart150WideAndHighAndTheirSizesAreStoredOnClose) {
    Open();
    m_Frame->resize(1000, 700);
    m_Frame->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Frame.get(), test::kHungMs));
    EXPECT_EQ(m_Frame->MainSplitter()->sizes().at(0), 150);
    EXPECT_EQ(m_Frame->LeftSplitter()->sizes().at(0), 150);
    EXPECT_EQ(m_Frame->MainSplitter()->handleWidth(), 5);
    m_Frame->MainSplitter()->setSizes({230, 700});
    m_Frame->LeftSplitter()->setSizes({260, 300});
    m_Frame->close();
    EXPECT_EQ(m_Profile.GetInt("Splitter", "LeftWidth", 0), 230);
    EXPECT_EQ(m_Profile.GetInt("Splitter", "LeftHeight", 0), 260);
    // The right pane keeps its 200 pixels however far the bar goes.
    Open();
    m_Frame->resize(1000, 700);
    m_Frame->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Frame.get(), test::kHungMs));
    EXPECT_EQ(m_Frame->MainSplitter()->sizes().at(0), 230);
    m_Frame->MainSplitter()->setSizes({5000, 1});
    EXPECT_GE(m_Frame->GetSelectedTracksView()->width(), 200);
}

TEST_F(Frame, PlacementIsStoredInFourDigitFieldsAndRestored) {
    Open();
    m_Frame->setGeometry(40, 50, 800, 600);
    m_Frame->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_Frame.get(), test::kHungMs));
    m_Frame->setGeometry(40, 50, 800, 600);
    m_Frame->close();
    const std::string rect = m_Profile.GetString("Main Frame", "Rectangle", "");
    EXPECT_EQ(rect, "0040 0050 0840 0650");
    EXPECT_EQ(m_Profile.GetInt("Main Frame", "Maximized", -1), 0);
    EXPECT_EQ(m_Profile.GetInt("Main Frame", "Iconized", -1), 0);
    m_Profile.SetInt("Main Frame", "Maximized", 1);
    Open();
    m_Frame->ShowAtStart();
    EXPECT_TRUE(m_Frame->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(m_Frame->normalGeometry().size(), QSize(800, 600));
}

TEST_F(Frame, AltSRunsStopPlayingThoughTheSonvaraMenuUsesTheLetter) {
    Open();
    int paused = 0;
    CListSelectedTracksListView::PlayerHooks hooks;
    hooks.play = [](const std::string&) {};
    hooks.pause = [&] { ++paused; };
    hooks.stop = [] {};
    m_Frame->GetSelectedTracksView()->SetPlayerHooks(hooks);
    m_Frame->ShowAtStart();
    m_Frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_Frame.get(), test::kHungMs));
    m_Frame->GetSelectedTracksView()->setFocus();
    QTest::keyClick(m_Frame->GetSelectedTracksView(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(paused, 1);
}

TEST_F(Frame, TheToolbarCommandHidesAndShowsTheToolbar) {
    Open();
    m_Frame->ShowAtStart();
    m_Frame->OnCommand(cmd::kViewToolbar);
    EXPECT_FALSE(m_Frame->MainToolBar()->isVisible());
    EXPECT_FALSE(m_Frame->Action(cmd::kViewToolbar)->isChecked());
    m_Frame->OnCommand(cmd::kViewToolbar);
    EXPECT_TRUE(m_Frame->MainToolBar()->isVisible());
    EXPECT_TRUE(m_Frame->Action(cmd::kViewToolbar)->isChecked());
}

}  // namespace
}  // namespace sonvara
