// The desktop program: the folder tree, the track files of a folder, and the working list with
// its jobs, in one window.
#include <QApplication>

#include "app/rundialogs.h"
#include "app/sonvaraapp.h"
#include "playback/trackplayback.h"
#include "profile/qtprofilestore.h"
#include "tracks/settings.h"
#include "ui/listselectedtrackslistview.h"
#include "ui/mainframe.h"
#include "ui/sonvaradoc.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELMORA"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora Sonvara 2.0"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Velmora Sonvara 2.0"));

    auto profile = sonvara::CQtProfileStore::ForPrograms();
    sonvara::CSettings settings(*profile);
    sonvara::CSonvaraDoc doc(settings);
    sonvara::CMainFrame frame(doc, *profile);
    sonvara::CSonvaraApp shell(frame, doc, settings);
    frame.SetAppTarget(&shell);
    sonvara::InstallRunDialogs(doc, settings, &frame);
    sonvara::CTrackPlayback playback;
    sonvara::InstallPlayback(*frame.GetSelectedTracksView(), playback);
    frame.UpdateCommandUI();
    frame.setWindowTitle(QStringLiteral("Velmora Sonvara 2.0"));
    frame.ShowAtStart();
    return app.exec();
}
