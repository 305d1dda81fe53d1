#include "ui/captionlabel.h"

namespace sonvara {

CCaptionLabel::CCaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setForegroundRole(QPalette::ButtonText);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    setFixedHeight(17);
    setAccessibleName(text.trimmed());
}

}  // namespace sonvara
