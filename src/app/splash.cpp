#include "app/splash.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace sonvara {

QString CSplashWnd::PicturePath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("SPLASH.BMP"));
}

CSplashWnd* CSplashWnd::ShowFor(const QString& path) {
    const QPixmap picture(path);
    if (picture.isNull()) {
        return nullptr;  // no picture: no splash, and nothing to report
    }
    auto* splash = new CSplashWnd(picture);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), picture.size() / picture.devicePixelRatio());
        area.moveCenter(screen->availableGeometry().center());
        splash->move(area.topLeft());
    }
    splash->show();
    splash->raise();
    return splash;
}

CSplashWnd::CSplashWnd(const QPixmap& picture) : QSplashScreen(picture) {
    setObjectName("Splash");
    setAccessibleName(tr("Velmora Sonvara 2.0"));
    setCursor(Qt::ArrowCursor);
}

void CSplashWnd::HideSplash(QWidget* mainWindow) {
    m_closeAllowed = true;
    if (mainWindow != nullptr) {
        finish(mainWindow);  // waits until the main window is on screen, then closes
    } else {
        close();
    }
}

void CSplashWnd::closeEvent(QCloseEvent* event) {
    if (!m_closeAllowed) {
        event->ignore();
        return;
    }
    QSplashScreen::closeEvent(event);
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
    // A plain splash screen hides on a click; this one is dragged away instead.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;  // the window manager moves it
    }
    m_dragging = true;
    m_grab = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CSplashWnd::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_grab);
        event->accept();
        return;
    }
    QSplashScreen::mouseMoveEvent(event);
}

void CSplashWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    QSplashScreen::mouseReleaseEvent(event);
}

}  // namespace sonvara
