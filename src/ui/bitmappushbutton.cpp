#include "ui/bitmappushbutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

#include "ui/dialogunits.h"

namespace sonvara {

CBitmapPushButton::CBitmapPushButton(const QPixmap& picture, const QString& accessibleName,
                                     QWidget* parent)
    : QAbstractButton(parent), m_picture(picture) {
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

QSize CBitmapPushButton::sizeHint() const {
    return DialogUnits(this, 15, 15);
}

QColor CBitmapPushButton::HoverColour(const QColor& face) {
    // One amount for all three channels, reduced so that none passes 255.
    const int amount = std::min({30, 255 - face.red(), 255 - face.green(), 255 - face.blue()});
    return QColor(face.red() + amount, face.green() + amount, face.blue() + amount);
}

void CBitmapPushButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    option.palette.setColor(QPalette::Button, m_hover ? HoverColour(face) : face);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
    const QPoint at((width() - m_picture.width()) / 2 + (isDown() ? 1 : 0),
                    (height() - m_picture.height()) / 2 + (isDown() ? 1 : 0));
    p.drawPixmap(at, m_picture);
}

void CBitmapPushButton::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CBitmapPushButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace sonvara
