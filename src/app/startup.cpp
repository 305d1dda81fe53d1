#include "app/startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <filesystem>

#include "app/corestrings.h"
#include "app/glintmenu.h"
#include "app/rundialogs.h"
#include "app/sonvaraapp.h"
#include "app/splash.h"
#include "jobs/strings.h"
#include "playback/trackplayback.h"
#include "profile/qtprofilestore.h"
#include "tracks/settings.h"
#include "ui/commandids.h"
#include "ui/dialogasker.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/helpbrowser.h"
#include "ui/mainframe.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/statelog.h"
#include "ui/tracklistview.h"

// The resources live in static libraries: registered by name.
static void InitAppResource() {
    Q_INIT_RESOURCE(app);
    Q_INIT_RESOURCE(icons);
}

namespace sonvara {

CSonvaraInstance::CSonvaraInstance(StartOptions options)
    : m_Options(std::move(options)), m_Strings(CoreStringLookup()) {
    InitAppResource();
    if (m_Options.programDir.isEmpty()) {
        m_Options.programDir = QCoreApplication::applicationDirPath();
    }
    if (m_Options.dataDir.isEmpty()) {
        m_Options.dataDir = QDir::cleanPath(m_Options.programDir + "/../share/sonvara");
    }
}

CSonvaraInstance::~CSonvaraInstance() {
    if (m_Splash) {
        m_Splash->HideSplash(nullptr);
    }
    if (m_HelpKeys) {
        qApp->removeEventFilter(m_HelpKeys.get());
    }
    m_Playback.reset();  // playback ends before the window goes, as in a plain main()
    m_Frame.reset();     // stores placement and pane sizes
    m_Doc.reset();
    m_Language.Unload();
}

QString CSonvaraInstance::MenuPicture(int id) {
    switch (id) {
        case cmd::kAbout: return QStringLiteral(":/app/about.svg");
        case cmd::kExit: return QStringLiteral(":/app/exit.svg");
        case cmd::kSettings: return QStringLiteral(":/app/settings.svg");
        default: return {};
    }
}

bool CSonvaraInstance::InitInstance() {
    // 1. The language file, before any window exists, so that every text is translated.
    m_Language.Load(CLanguage::SearchFolders(m_Options.programDir, m_Options.dataDir));

    // 2. The settings root: ~/.config/VELMORA/Velmora Sonvara 2.0.conf (SONVARA_CONFIG for
    // another file).
    QCoreApplication::setOrganizationName(QStringLiteral("VELMORA"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora Sonvara 2.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("sonvara"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/app/sonvara.svg")));
    if (m_Options.profile != nullptr) {
        m_Profile = m_Options.profile;
    } else {
        m_OwnProfile = CQtProfileStore::ForPrograms();
        m_Profile = m_OwnProfile.get();
    }
    m_Settings = std::make_unique<CSettings>(*m_Profile);

    // 3. The splash picture beside the program (else in the data folder), when there is one.
    QString picture = CSplashWnd::PicturePath(m_Options.programDir);
    if (!QFileInfo::exists(picture)) {
        picture = CSplashWnd::PicturePath(m_Options.dataDir);
    }
    m_Splash = CSplashWnd::ShowFor(picture);
    m_SplashShown = !m_Splash.isNull();
    if (m_Splash) {
        QApplication::processEvents();
    }

    // 4. The document and the main window with its views.
    m_Runs = std::make_unique<CRunService>(m_Strings);
    m_Asker = std::make_unique<CDialogAsker>(m_Strings);
    m_Doc = std::make_unique<CSonvaraDoc>(*m_Settings, *m_Runs, *m_Asker);
    m_Frame = std::make_unique<CMainFrame>(*m_Doc, *m_Profile, m_Icons);
    m_Asker->SetParent(m_Frame.get());
    m_App = new CSonvaraApp(*m_Frame, *m_Doc, *m_Settings, m_Help, m_HelpBrowser);
    m_Frame->SetAppTarget(m_App);
    InstallRunDialogs(*m_Doc, *m_Settings, m_Help, m_Options.makeDevice, m_Frame.get());
    m_Playback = std::make_unique<CTrackPlayback>(m_Options.makeDevice);
    InstallPlayback(*m_Frame->GetSelectedTracksView(), *m_Playback);
    m_Frame->UpdateCommandUI();
    m_HelpKeys = std::make_unique<CHelpKeyFilter>(m_Help, m_HelpBrowser);
    m_HelpKeys->SetFallbackParent(m_Frame.get());
    qApp->installEventFilter(m_HelpKeys.get());

    // 5. The flat menus with the command pictures.
    BuildMenus();

    // 6. The title, not a document's.
    m_Frame->setWindowTitle(
        QCoreApplication::translate("sonvara::CMainFrame", "Velmora Sonvara 2.0"));

    // 7. Shown as it was left, then the splash goes.
    m_Frame->ShowAtStart();
    if (m_Splash) {
        m_Splash->HideSplash(m_Frame.get());
    }
    WatchSettings();
    AddCommandLineFiles();
    return true;
}

namespace {
// A warning that does not hold up the start or a run: shown over the window, closed by OK.
void ShowSettingsWarning(QWidget* parent, const QString& text) {
    auto* box =
        new QMessageBox(QMessageBox::Warning,
                        QCoreApplication::translate("sonvara::CMainFrame", "Velmora Sonvara 2.0"),
                        text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("settingsWarning"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
}  // namespace

void CSonvaraInstance::WatchSettings() {
    // Stored values that cannot be used are named once, at the start; their defaults are used.
    const std::vector<std::string> problems = m_Settings->InvalidValues(m_Strings);
    if (!problems.empty()) {
        QStringList lines;
        for (const std::string& problem : problems) {
            lines << QString::fromStdString(problem);
        }
        ShowSettingsWarning(m_Frame.get(), lines.join(QLatin1Char('\n')));
    }
    // A settings file that cannot be written is said once, not lost without a word.
    QPointer<CMainFrame> frame = m_Frame.get();
    // The texts are this object's, which outlives the frame.
    const CStrings* strings = &m_Strings;
    m_Profile->SetWriteFailureHandler([frame, strings](const std::string& why) {
        if (frame == nullptr) {
            return;
        }
        const QString text =
            QString::fromStdString(strings->Text(StringId::kSettingsCannotBeSaved, why));
        // Later, from the event loop: the write may come from inside a closing dialog.
        QTimer::singleShot(0, frame, [frame, text] { ShowSettingsWarning(frame, text); });
    });
}

void CSonvaraInstance::BuildMenus() {
    if (m_Options.menuStyle) {
        m_Options.menuStyle->SetMenus(&m_Menus);
    }
    m_Menus.AttachOwner(m_Frame->menuBar());
    m_Menus.AttachOwner(m_Frame->GetSelectedTracksView());
    m_Menus.AttachOwner(m_Frame->GetTrackFilesView());
    m_Menus.AttachOwner(m_Frame->GetTreeView());
    CMainFrame* frame = m_Frame.get();
    m_Menus.LoadToolbar(GlintMenu::ToolbarCommands(), [frame](int id) {
        const QString own = MenuPicture(id);
        if (!own.isEmpty()) {
            return QIcon(own);
        }
        QAction* action = frame->Action(id);
        return action != nullptr ? action->icon() : QIcon();
    });
}

void CSonvaraInstance::AddCommandLineFiles() {
    std::vector<std::string> paths;
    for (const QString& file : m_Options.files) {
        // As bytes: a name that is not UTF-8 is added like any other.
        std::error_code ec;
        const std::filesystem::path path = std::filesystem::absolute(PathBytes(file), ec);
        if (!ec && std::filesystem::exists(path, ec)) {
            paths.push_back(path.lexically_normal().string());
        }
    }
    // After the window is up, as if the user had added them; then start-up is done.
    CSonvaraDoc* doc = m_Doc.get();
    QTimer::singleShot(0, doc, [doc, paths] {
        if (!paths.empty()) {
            doc->AddTracks(paths);
        }
        qCInfo(lcState, "ready: %d files from the command line", static_cast<int>(paths.size()));
    });
}

int CSonvaraInstance::ExitInstance(int code) {
    m_Language.Unload();
    return code;
}

}  // namespace sonvara
