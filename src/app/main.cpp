// The desktop program: the folder tree, the track files of a folder, and the working list with
// its jobs, in one window.
#include <QApplication>

#include "app/glintmenu.h"
#include "app/startup.h"
#include "ui/mainframe.h"

int main(int argc, char** argv) {
    // The flat menus over a pinned Fusion: the same look on every desktop.
    QApplication::setStyle(new sonvara::CGlintMenuStyle);
    QApplication app(argc, argv);
    if (qEnvironmentVariable("SONVARA_PALETTE") == QLatin1String("dark")) {
        QApplication::setPalette(sonvara::DarkPalette());  // the dark look on any desktop
    }
    sonvara::StartOptions options;
    options.files = QCoreApplication::arguments().mid(1);
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
