// The desktop program: the folder tree, the track files of a folder, and the working list with
// its jobs, in one window.
#include <QApplication>

#include "app/glintmenu.h"
#include "app/startup.h"
#include "ui/mainframe.h"
#include "ui/pathtext.h"

int main(int argc, char** argv) {
    // The flat menus over a pinned Fusion: the same look on every desktop. The program object
    // hands the style its menus.
    auto* style = new sonvara::CGlintMenuStyle;
    QApplication::setStyle(style);
    QApplication app(argc, argv);
    if (qEnvironmentVariable("SONVARA_PALETTE") == QLatin1String("dark")) {
        QApplication::setPalette(sonvara::DarkPalette());  // the dark look on any desktop
    }
    sonvara::StartOptions options;
    options.menuStyle = style;
    // The arguments as the bytes they are (Qt's own options already taken out by QApplication):
    // a file name that is not UTF-8 is kept, not turned into replacement characters.
    for (int i = 1; i < argc; ++i) {
        options.files << sonvara::PathText(argv[i]);
    }
    sonvara::CSonvaraInstance instance(std::move(options));
    if (!instance.InitInstance()) {
        return instance.ExitInstance(1);
    }
    // Closing the main window ends the program, whatever other windows are still open (the
    // help window, a floating toolbar): the end never waits for the last window to go.
    QObject::connect(instance.Frame(), &sonvara::CMainFrame::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return instance.ExitInstance(QApplication::exec());
}
