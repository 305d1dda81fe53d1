#pragma once

#include <QFontMetrics>
#include <QSize>
#include <QWidget>

namespace sonvara {

// A size given in dialog units (a quarter of the average character width, an eighth of the
// character height) in pixels for the widget's font.
inline QSize DialogUnits(const QWidget* widget, int width, int height) {
    const QFontMetrics fm(widget->font());
    const int avg = fm.horizontalAdvance(
                        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                    52;
    return {(width * avg + 2) / 4, (height * fm.height() + 4) / 8};
}

}  // namespace sonvara
