#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace sonvara {

// A push button that shows a picture (magenta is transparent) and lightens its background
// while the mouse pointer is over it.
class CBitmapPushButton : public QAbstractButton {
public:
    CBitmapPushButton(const QPixmap& picture, const QString& accessibleName, QWidget* parent);
    QSize sizeHint() const override;
    // The button-face colour made lighter by 30 on each channel, less where a channel would
    // pass 255.
    static QColor HoverColour(const QColor& face);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap m_picture;
    bool m_hover = false;
};

}  // namespace sonvara
