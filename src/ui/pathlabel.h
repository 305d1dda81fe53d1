#pragma once

#include <QLabel>

namespace sonvara {

// A one-line label for a path: shows as much as fits, elided in the middle so that the file
// name stays readable; the whole path is its tool tip and accessible description.
class CPathLabel : public QLabel {
    Q_OBJECT
public:
    explicit CPathLabel(QWidget* parent = nullptr);
    void SetPath(const QString& path);
    const QString& Path() const { return m_Path; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString m_Path;
};

}  // namespace sonvara
