#pragma once

#include <QPoint>
#include <QSplashScreen>

namespace sonvara {

// The splash picture shown while the main window is built. Close requests (Alt+F4, the window
// manager) are ignored until HideSplash; a left-button drag moves it.
class CSplashWnd : public QSplashScreen {
    Q_OBJECT
public:
    // "SPLASH.BMP" in the given folder (the program's own folder at start-up).
    static QString PicturePath(const QString& folder);
    // The splash for the picture file, shown; null when the file is missing or unreadable.
    static CSplashWnd* ShowFor(const QString& path);

    explicit CSplashWnd(const QPixmap& picture);

    // Allows the close and closes the splash once `mainWindow` is shown.
    void HideSplash(QWidget* mainWindow);
    bool CloseAllowed() const { return m_closeAllowed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_closeAllowed = false;
    bool m_dragging = false;
    QPoint m_grab;  // where the picture was grabbed, relative to its top left corner
};

}  // namespace sonvara
