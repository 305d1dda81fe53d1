#pragma once

#include <QLabel>

namespace sonvara {

// The one-line caption above the folder tree.
class CCaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CCaptionLabel(const QString& text, QWidget* parent = nullptr);
};

}  // namespace sonvara
