#include "ui/pathlabel.h"

#include <QFontMetrics>

namespace sonvara {

CPathLabel::CPathLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

void CPathLabel::SetPath(const QString& path) {
    if (path == m_Path) {
        return;
    }
    m_Path = path;
    setToolTip(path);
    setAccessibleDescription(path);
    Elide();
}

QSize CPathLabel::minimumSizeHint() const {
    return {10, fontMetrics().height()};
}

void CPathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void CPathLabel::Elide() {
    setText(
        fontMetrics().elidedText(m_Path, Qt::ElideMiddle, std::max(10, contentsRect().width())));
}

}  // namespace sonvara
