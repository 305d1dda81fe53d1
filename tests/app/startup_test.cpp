// Start-up and shutdown of the program in this process: the splash, the language file, the
// menus, help, the About box, the options sheet, the placement kept between runs.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>

#include "app/aboutdlg.h"
#include "app/corestrings.h"
#include "app/glintmenu.h"
#include "app/sonvaraapp.h"
#include "app/splash.h"
#include "app/startup.h"
#include "jobs/strings.h"
#include "profile/qtprofilestore.h"
#include "support/runevents.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/configsheet.h"
#include "ui/dlgmp3analyzing.h"
#include "ui/dlgmp3tomp3converting.h"
#include "ui/dlgmp3towavconverting.h"
#include "ui/dlgwavtomp3converting.h"
#include "ui/helpbrowser.h"
#include "ui/helpcontext.h"
#include "ui/mainframe.h"
#include "ui/modalanswerer.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"
#include "ui/tracklistview.h"

namespace sonvara {
namespace {

using test::CModalAnswerer;
using test::CTempDir;

const QString kGermanQm = QStringLiteral(SONVARA_GERMAN_QM);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void WriteSplash(const QString& folder) {
    QImage picture(120, 60, QImage::Format_RGB32);
    picture.fill(QColor(30, 80, 150));
    ASSERT_TRUE(picture.save(QDir(folder).filePath("SPLASH.BMP"), "BMP"));
}

// Runs the event loop until the condition holds; false only when the program hung.
template <typename Condition>
bool WaitFor(Condition condition) {
    return test::RunEventsUntil(condition);
}

QStringList MenuTitles(CMainFrame& frame) {
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) {
        titles << action->text();
    }
    return titles;
}

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        m_Options.programDir = Q(m_Program.Path());
        m_Options.dataDir = Q(m_Data.Path());
        m_Options.profile = &m_Profile;
        // The program's style, set by the tests' main as by the program's.
        m_Options.menuStyle = qobject_cast<CGlintMenuStyle*>(QApplication::style());
        m_Profile.SetString("GeneralProperties", "TrackDir", m_Program.Path());
        m_Profile.SetString("Settings", "LastPath", m_Program.Path());
    }
    std::unique_ptr<CSonvaraInstance> Start() {
        auto instance = std::make_unique<CSonvaraInstance>(m_Options);
        EXPECT_TRUE(instance->InitInstance());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(instance->Frame(), test::kHungMs));
        return instance;
    }
    CTempDir m_Program;
    CTempDir m_Data;
    CMemoryProfileStore m_Profile;
    StartOptions m_Options;
};

TEST_F(StartupTest, WithoutSplashPictureTheWindowComesUpInEnglish) {
    auto instance = Start();
    EXPECT_FALSE(instance->SplashWasShown());
    EXPECT_FALSE(instance->Language().IsLoaded());
    CMainFrame& frame = *instance->Frame();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.windowTitle(), "Velmora Sonvara 2.0");
    EXPECT_EQ(MenuTitles(frame),
              QStringList({"&File", "&Sonvara", "&Edit", "&Options", "&View", "&Help"}));
    EXPECT_EQ(instance->Strings().Text(StringId::kCheckCorrupt), "Corrupt");
    EXPECT_EQ(instance->ExitInstance(0), 0);
}

TEST_F(StartupTest, SplashShowsUntilTheMainWindowIsUpAndThenCloses) {
    WriteSplash(m_Options.programDir);
    auto instance = Start();
    EXPECT_TRUE(instance->SplashWasShown());
    EXPECT_TRUE(WaitFor([&] {
        return instance->Splash() == nullptr;
    }));  // closed and deleted once the window shows
    EXPECT_TRUE(instance->Frame()->isVisible());
}

TEST(Splash, IgnoresCloseRequestsUntilHiddenAndMovesWhenDragged) {
    CTempDir folder;
    EXPECT_EQ(CSplashWnd::ShowFor(CSplashWnd::PicturePath(Q(folder.Path()))), nullptr);
    WriteSplash(Q(folder.Path()));
    QPointer<CSplashWnd> splash = CSplashWnd::ShowFor(CSplashWnd::PicturePath(Q(folder.Path())));
    ASSERT_TRUE(splash);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash, test::kHungMs));
    EXPECT_EQ(splash->pixmap().size(), QSize(120, 60));

    EXPECT_FALSE(splash->close());  // Alt+F4, the window manager: ignored
    QTest::keyClick(splash, Qt::Key_F4, Qt::AltModifier);
    QTest::mouseClick(splash, Qt::RightButton);
    EXPECT_TRUE(splash->isVisible());

    const QPoint before = splash->pos();
    const QPoint grab(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, grab, splash->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splash, &press);
    EXPECT_TRUE(splash->isVisible());  // a plain splash screen would hide on the click
    const QPoint to = grab + QPoint(40, 25);
    QMouseEvent move(QEvent::MouseMove, to, splash->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(splash, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, splash->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(splash, &release);
    EXPECT_EQ(splash->pos(), before + QPoint(40, 25));

    QWidget window;
    window.show();
    splash->HideSplash(&window);
    EXPECT_TRUE(WaitFor([&] { return splash.isNull(); }));
}

TEST_F(StartupTest, LanguageFileBesideTheProgramTranslatesMenusDialogsAndCoreTexts) {
    ASSERT_TRUE(QFile::copy(kGermanQm, QDir(m_Options.programDir).filePath("lang.qm")));
    auto instance = Start();
    ASSERT_TRUE(instance->Language().IsLoaded());
    CMainFrame& frame = *instance->Frame();
    EXPECT_EQ(MenuTitles(frame), QStringList({"&Datei", "&Sonvara", "&Bearbeiten", "&Optionen",
                                              "&Ansicht", "&Hilfe"}));
    EXPECT_EQ(frame.Action(cmd::kSettings)->text(), "&Einstellungen");
    EXPECT_EQ(frame.windowTitle(), "Velmora Sonvara 2.0");
    // The core's texts, which the program hands to the runs and lists, follow the language file.
    EXPECT_EQ(instance->Strings().Text(StringId::kCheckCorrupt), "Defekt");
    EXPECT_EQ(instance->Strings().Text(StringId::kStageAnalyzing), "Analysiere");
    EXPECT_EQ(instance->Strings().Text(StringId::kLineOk, "x.mp3"), "        ===> Datei OK! x.mp3");
    // The working list takes its column titles from the texts the program handed down.
    EXPECT_EQ(frame.GetSelectedTracksView()
                  ->model()
                  ->headerData(CTrackListModel::kCheck, Qt::Horizontal, Qt::DisplayRole)
                  .toString(),
              QString::fromUtf8("Pr\xC3\xBC"
                                "fung"));
    // Dialogs: the options sheet, and Qt's own buttons (qt6-translations-l10n).
    CModalAnswerer<CConfigSheet> sheet([](CConfigSheet* s) {
        EXPECT_EQ(s->windowTitle(), "Velmora Sonvara 2.0 Konfiguration");
        EXPECT_EQ(s->Tabs()->tabText(0), "Allgemein");
        s->reject();
    });
    frame.OnCommand(cmd::kSettings);
    EXPECT_EQ(sheet.Answered(), 1);
    if (instance->Language().QtTranslationsLoaded()) {
        QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Abbrechen");
    }

    instance->ExitInstance(0);
    EXPECT_EQ(instance->Strings().Text(StringId::kCheckCorrupt), "Corrupt");
}

TEST_F(StartupTest, LanguageFileIsAlsoFoundInTheDataFolderAndABrokenOneMeansEnglish) {
    ASSERT_TRUE(QFile::copy(kGermanQm, QDir(m_Options.dataDir).filePath("lang.qm")));
    {
        CLanguage language;
        EXPECT_TRUE(
            language.Load(CLanguage::SearchFolders(m_Options.programDir, m_Options.dataDir)));
        EXPECT_EQ(language.File(), QDir(m_Options.dataDir).filePath("lang.qm"));
        EXPECT_EQ(QCoreApplication::translate("sonvara::CMainFrame", "&File"), "&Datei");
    }
    EXPECT_EQ(QCoreApplication::translate("sonvara::CMainFrame", "&File"), "&File");
    EXPECT_EQ(CStrings(CoreStringLookup()).Text(StringId::kCheckCorrupt), "Corrupt");

    test::WriteFile(QDir(m_Options.programDir).filePath("lang.qm").toStdString(),
                    test::Bytes{'n', 'o', 't', ' ', 'q', 'm'});
    CLanguage language;
    // The broken file beside the program is passed over; the data folder's one is used.
    EXPECT_TRUE(language.Load(CLanguage::SearchFolders(m_Options.programDir, m_Options.dataDir)));
    EXPECT_EQ(language.File(), QDir(m_Options.dataDir).filePath("lang.qm"));
    language.Unload();
    CLanguage none;
    EXPECT_FALSE(none.Load({m_Options.programDir}));
}

// Every id the core has a text for (ids are window string numbers, below 65536) is in the
// translation table with the core's English and has German in the German language file.
TEST(CoreStrings, EveryCoreTextIsInTheTranslationTableAndHasGerman) {
    const std::vector<CoreString> table = CoreStrings();
    QTranslator german;
    ASSERT_TRUE(german.load(kGermanQm));
    int ids = 0;
    for (int id = 0; id <= 0xFFFF; ++id) {
        const char* english = EnglishText(static_cast<StringId>(id));
        if (*english == '\0') {
            continue;
        }
        ++ids;
        const auto entry = std::find_if(table.begin(), table.end(), [&](const CoreString& e) {
            return static_cast<int>(e.id) == id;
        });
        ASSERT_NE(entry, table.end()) << english;
        EXPECT_STREQ(entry->english, english);
        EXPECT_FALSE(german.translate("CoreStrings", english, entry->comment).isEmpty()) << english;
    }
    EXPECT_EQ(static_cast<std::size_t>(ids), table.size());  // no entry without a core text
}

// The settings warnings open over the window without holding up the start.
std::vector<QMessageBox*> SettingsWarnings() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->isVisible() && box->objectName() == "settingsWarning") {
            boxes.push_back(box);
        }
    }
    return boxes;
}

TEST_F(StartupTest, SettingsThatCannotBeUsedOrSavedAreSaidOnce) {
    m_Profile.SetString("EncoderProperties", "BitRate", "x");
    {
        auto instance = Start();
        ASSERT_TRUE(WaitFor([] { return !SettingsWarnings().empty(); }));
        ASSERT_EQ(SettingsWarnings().size(), 1u);
        EXPECT_TRUE(SettingsWarnings()[0]->text().contains("EncoderProperties/BitRate=x"));
        SettingsWarnings()[0]->close();
    }
    // A settings file inside a file cannot be written, as on a read-only mount (also for root).
    test::WriteFile(m_Program.File("file"), test::Bytes{1});
    CQtProfileStore unwritable(m_Program.File("file") + "/settings.ini");
    m_Options.profile = &unwritable;
    auto instance = Start();
    unwritable.SetInt("GeneralProperties", "Normalize", 0);
    unwritable.SetInt("GeneralProperties", "Normalize", 1);
    ASSERT_TRUE(WaitFor([] { return !SettingsWarnings().empty(); }));
    QApplication::processEvents();
    ASSERT_EQ(SettingsWarnings().size(), 1u);
    EXPECT_TRUE(SettingsWarnings()[0]->text().contains("cannot be saved"));
    EXPECT_TRUE(SettingsWarnings()[0]->text().contains("settings.ini"));
    SettingsWarnings()[0]->close();
}

TEST_F(StartupTest, MenusAreFlatWithPicturesFromTheCommandIcons) {
    auto instance = Start();
    CMainFrame& frame = *instance->Frame();
    for (QAction* title : frame.menuBar()->actions()) {
        EXPECT_TRUE(instance->Menus().IsMenu(title->menu())) << title->text().toStdString();
    }
    for (int id : GlintMenu::ToolbarCommands()) {
        EXPECT_TRUE(instance->Menus().HasPicture(id)) << id;
    }
    EXPECT_FALSE(instance->Menus().HasPicture(cmd::kMp3ToWav));  // not on the menu toolbar
    EXPECT_FALSE(instance->Menus().HasPicture(cmd::kHelpContents));
    // The window's system-made menu (the toolbar's own pop-up) is not ours.
    std::unique_ptr<QMenu> popup(frame.createPopupMenu());
    ASSERT_TRUE(popup);
    EXPECT_FALSE(instance->Menus().IsMenu(popup.get()));
    // The working list's context menu is.
    CListSelectedTracksListView* view = frame.GetSelectedTracksView();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              view->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view, &request);
    auto* context = view->findChild<QMenu*>("SelectedTracksMenu");
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(instance->Menus().IsMenu(context));
    const QImage image = context->grab().toImage();
    context->close();
    EXPECT_EQ(image.pixelColor(2, image.height() / 2), QColor(222, 219, 214));
}

TEST_F(StartupTest, EachHelpContextOpensItsTopicAndOtherNumbersNothing) {
    auto instance = Start();
    CMainFrame& frame = *instance->Frame();
    EXPECT_EQ(instance->Help().Get(), kHelpMain);
    const std::pair<int, const char*> topics[] = {{1000, "index.htm"},
                                                  {1001, "Configuration.htm"},
                                                  {1002, "Editid3tags.htm"},
                                                  {1003, "Analyzingtracks.htm"},
                                                  {1004, "Converting_MP3_Files.htm"},
                                                  {1005, "Converting_WAV_Files.htm"},
                                                  {1006, "Converting_MP3_to_MP3_Files.htm"}};
    for (const auto& [context, topic] : topics) {
        CHelpContextScope scope(&instance->Help(), context);
        frame.OnCommand(cmd::kHelpContents);
        CHelpBrowser* browser = instance->HelpBrowser().Browser();
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(browser->isVisible());
        EXPECT_EQ(browser->CurrentTopic(), topic);
        // The page is there and is ours.
        EXPECT_TRUE(browser->Browser()->toPlainText().contains("Velmora Sonvara") ||
                    browser->Browser()->toPlainText().length() > 200)
            << topic;
        EXPECT_FALSE(browser->Browser()->documentTitle().isEmpty()) << topic;
    }
    EXPECT_EQ(instance->Help().Get(), kHelpMain);
    {
        CHelpContextScope scope(&instance->Help(), 1007);
        EXPECT_EQ(instance->HelpBrowser().ShowHelpTopic(1007, &frame), nullptr);
        EXPECT_EQ(instance->HelpBrowser().Browser()->CurrentTopic(),
                  "Converting_MP3_to_MP3_Files.htm");
    }
    // F1 in the main window: the start page.
    QTest::keyClick(&frame, Qt::Key_F1);
    EXPECT_EQ(instance->HelpBrowser().Browser()->CurrentTopic(), "index.htm");
    // Links between the pages work.
    instance->HelpBrowser().Browser()->Browser()->setSource(HelpPageUrl("Configuration.htm"));
    EXPECT_TRUE(
        instance->HelpBrowser().Browser()->Browser()->toPlainText().contains("Track Directory"));
}

TEST_F(StartupTest, F1InTheOptionsSheetOpensTheConfigurationTopicAboveTheSheet) {
    auto instance = Start();
    CMainFrame& frame = *instance->Frame();
    QString topic;
    bool aboveSheet = false;
    CModalAnswerer<CConfigSheet> sheet([&](CConfigSheet* s) {
        EXPECT_EQ(instance->Help().Get(), kHelpOptions);
        QTest::keyClick(s->focusWidget() ? s->focusWidget() : s, Qt::Key_F1);
        CHelpBrowser* browser = instance->HelpBrowser().Browser();
        if (browser != nullptr) {
            topic = browser->CurrentTopic();
            aboveSheet = browser->parentWidget() == s;  // usable while the sheet is modal
            browser->close();
        }
        s->reject();
    });
    frame.OnCommand(cmd::kSettings);  // "&Settings": the options sheet, modal
    EXPECT_EQ(sheet.Answered(), 1);
    EXPECT_EQ(topic, "Configuration.htm");
    EXPECT_TRUE(aboveSheet);
    EXPECT_EQ(instance->Help().Get(), kHelpMain);
}

// What the window's parts share belongs to one program object: a second one in the same
// process has its own help-context number, help browser and flat menus.
TEST_F(StartupTest, TwoProgramsInOneProcessShareNoWindowState) {
    auto first = Start();
    auto second = Start();
    first->Help().Set(kHelpOptions);
    EXPECT_EQ(second->Help().Get(), kHelpMain);
    first->Frame()->OnCommand(cmd::kHelpContents);
    ASSERT_NE(first->HelpBrowser().Browser(), nullptr);
    EXPECT_EQ(first->HelpBrowser().Browser()->CurrentTopic(), "Configuration.htm");
    EXPECT_EQ(second->HelpBrowser().Browser(), nullptr);
    second->Frame()->OnCommand(cmd::kHelpContents);
    ASSERT_NE(second->HelpBrowser().Browser(), nullptr);
    EXPECT_NE(second->HelpBrowser().Browser(), first->HelpBrowser().Browser());
    EXPECT_EQ(second->HelpBrowser().Browser()->CurrentTopic(), "index.htm");
    QMenu* firstMenu = first->Frame()->menuBar()->actions().front()->menu();
    EXPECT_TRUE(first->Menus().IsMenu(firstMenu));
    EXPECT_FALSE(second->Menus().IsMenu(firstMenu));
    // The first program's end takes its help browser with it and leaves the second's.
    QPointer<CHelpBrowser> secondBrowser = second->HelpBrowser().Browser();
    first.reset();
    EXPECT_FALSE(secondBrowser.isNull());
    EXPECT_TRUE(second->Menus().HasPicture(cmd::kAnalyze));
}

TEST_F(StartupTest, F1InEachRunDialogOpensItsTopicAndTheNumberComesBackAfterwards) {
    auto instance = Start();
    CSettings& settings = *instance->Settings();
    const auto f1 = [&instance](QDialog& dialog) {
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_F1);
        CHelpBrowser* browser = instance->HelpBrowser().Browser();
        const QString topic = browser != nullptr ? browser->CurrentTopic() : QString();
        if (browser != nullptr) {
            browser->close();
        }
        dialog.hide();
        return topic;
    };
    {
        CDlgMP3Analyzing dialog(*instance->Runs(), settings, instance->Help(), instance->Frame());
        EXPECT_EQ(f1(dialog), "Analyzingtracks.htm");
    }
    {
        CDlgMP3TOWAVConverting dialog(*instance->Runs(), settings, instance->Help(),
                                      instance->Frame());
        EXPECT_EQ(f1(dialog), "Converting_MP3_Files.htm");
    }
    {
        CDlgWAVTOMP3Converting dialog(*instance->Runs(), settings, instance->Help(),
                                      instance->Frame());
        EXPECT_EQ(f1(dialog), "Converting_WAV_Files.htm");
    }
    {
        CDlgMP3TOMP3Converting dialog(*instance->Runs(), settings, instance->Help(),
                                      instance->Frame());
        EXPECT_EQ(f1(dialog), "Converting_MP3_to_MP3_Files.htm");
    }
    EXPECT_EQ(instance->Help().Get(), kHelpMain);
}

TEST_F(StartupTest, AboutBoxShowsNameVersionNoticesAndOk) {
    auto instance = Start();
    QString product;
    QString notices;
    CModalAnswerer<CAboutDlg> about([&](CAboutDlg* dlg) {
        product = dlg->Product()->text();
        notices = dlg->Notices()->text();
        auto buttons = dlg->findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        EXPECT_EQ(buttons.front()->text(), "OK");
        buttons.front()->click();
    });
    instance->Frame()->OnCommand(cmd::kAbout);
    EXPECT_EQ(about.Answered(), 1);
    EXPECT_TRUE(product.contains("Velmora Sonvara 2.0"));
    EXPECT_TRUE(product.contains("2.01"));
    EXPECT_TRUE(notices.contains("MPEG Layer-3"));
}

TEST_F(StartupTest, PlacementAndPaneSizesComeBackAndMaximisedStaysMaximised) {
    {
        auto instance = Start();
        CMainFrame& frame = *instance->Frame();
        frame.MainSplitter()->setSizes({230, 500});
        frame.LeftSplitter()->setSizes({180, 200});
        frame.showMaximized();
        QApplication::processEvents();
        frame.close();
        instance->ExitInstance(0);
    }
    EXPECT_EQ(m_Profile.GetInt("Main Frame", "Maximized", 0), 1);
    const int width = m_Profile.GetInt("Splitter", "LeftWidth", 0);
    EXPECT_EQ(width, 230);
    auto instance = Start();
    CMainFrame& frame = *instance->Frame();
    EXPECT_TRUE(WaitFor([&] { return frame.isMaximized(); }));
    EXPECT_TRUE(WaitFor([&] { return frame.MainSplitter()->sizes().front() == 230; }))
        << frame.MainSplitter()->sizes().front();
}

TEST_F(StartupTest, NewDocumentKeepsTheListAndItsColumns) {
    // A command-line name that is not UTF-8 (Latin-1) is added with its bytes as they are.
    const std::string wav = m_Program.File("-tone\xe9.wav");
    test::WriteFile(wav, test::MakePcmWav(test::Sine(88200, 2, 440, 44100, 8000)));
    m_Options.files = {PathText(wav), Q(m_Program.File("missing.mp3"))};
    auto instance = Start();
    EXPECT_TRUE(WaitFor(
        [&] { return instance->Doc()->GetTrackCount() == 1; }));  // the file from the command line
    EXPECT_EQ(instance->Doc()->Tracks().At(0).path, wav);
    CListSelectedTracksListView* view = instance->Frame()->GetSelectedTracksView();
    const int columns = view->model()->columnCount();
    instance->Frame()->OnCommand(cmd::kNewDocument);
    instance->Frame()->OnCommand(cmd::kNewDocument);
    EXPECT_EQ(view->model()->columnCount(), columns);
    EXPECT_EQ(view->model()->rowCount(), 1);
}

}  // namespace
}  // namespace sonvara
