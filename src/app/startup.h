#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

#include "app/glintmenu.h"
#include "app/language.h"
#include "app/splash.h"
#include "jobs/strings.h"
#include "playback/waveoutdevice.h"
#include "ui/fileicons.h"
#include "ui/helpbrowser.h"
#include "ui/helpcontext.h"

namespace sonvara {

class CDialogAsker;
class CMainFrame;
class CRunService;
class CSettings;
class CSonvaraApp;
class CSonvaraDoc;
class CTrackPlayback;
class IProfileStore;

// Where the program looks for its files, and what it was given.
struct StartOptions {
    QString programDir;  // "SPLASH.BMP" and "lang.qm"; empty: the executable's folder
    QString dataDir;     // the installed data folder; empty: <programDir>/../share/sonvara
    QStringList files;   // files from the command line: added to the working list
    // The profile store to use (tests); null: the programs' store (QSettings, SONVARA_CONFIG).
    IProfileStore* profile = nullptr;
    // The device every player plays on (tests: the test device); empty: the system's output.
    WaveOutDeviceFactory makeDevice;
    // The style that draws the flat menus (main's, set on the application): it is handed the
    // program's menus. Null: no style is told (the menus are still known to Menus()).
    QPointer<CGlintMenuStyle> menuStyle;
};

// The program's start-up and shutdown around the one QApplication.
class CSonvaraInstance {
public:
    explicit CSonvaraInstance(StartOptions options = {});
    ~CSonvaraInstance();
    CSonvaraInstance(const CSonvaraInstance&) = delete;
    CSonvaraInstance& operator=(const CSonvaraInstance&) = delete;

    // In this order: the language file, the settings root, the splash picture, the document
    // and the main window, the flat menus with their pictures, the title, the window shown
    // as it was left, the splash closed. False ends the program.
    bool InitInstance();
    // The translators are released; the exit code.
    int ExitInstance(int code);

    CMainFrame* Frame() const { return m_Frame.get(); }
    CSonvaraDoc* Doc() const { return m_Doc.get(); }
    CRunService* Runs() const { return m_Runs.get(); }
    CSonvaraApp* App() const { return m_App; }
    CSettings* Settings() const { return m_Settings.get(); }
    const CLanguage& Language() const { return m_Language; }
    // What the window's parts share, owned here and handed down: the core's texts, the flat
    // menus with their pictures, the help-context number, the help browser and the file icons.
    GlintMenu& Menus() { return m_Menus; }
    const CStrings& Strings() const { return m_Strings; }
    CHelpContext& Help() { return m_Help; }
    CHelpBrowserHost& HelpBrowser() { return m_HelpBrowser; }
    CFileIconCache& Icons() { return m_Icons; }
    // The splash while it is up (null without a picture, and after it closed).
    CSplashWnd* Splash() const { return m_Splash.data(); }
    bool SplashWasShown() const { return m_SplashShown; }
    const StartOptions& Options() const { return m_Options; }

    // The commands that have a picture in the menus, and where each picture comes from.
    static QString MenuPicture(int id);

private:
    void BuildMenus();
    void AddCommandLineFiles();
    void WatchSettings();

    StartOptions m_Options;
    CLanguage m_Language;
    const CStrings m_Strings;  // the core's texts in the program's language
    std::unique_ptr<IProfileStore> m_OwnProfile;
    IProfileStore* m_Profile = nullptr;
    std::unique_ptr<CSettings> m_Settings;
    // Before the window and the key filter, which use them: gone after them.
    GlintMenu m_Menus;
    CHelpContext m_Help;
    CHelpBrowserHost m_HelpBrowser;
    CFileIconCache m_Icons;
    std::unique_ptr<CRunService> m_Runs;    // outlives the document and the window
    std::unique_ptr<CDialogAsker> m_Asker;  // the document's questions, over the frame
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::unique_ptr<CMainFrame> m_Frame;
    std::unique_ptr<CTrackPlayback> m_Playback;
    CSonvaraApp* m_App = nullptr;  // owned by the frame
    std::unique_ptr<CHelpKeyFilter> m_HelpKeys;
    QPointer<CSplashWnd> m_Splash;
    bool m_SplashShown = false;
};

}  // namespace sonvara
