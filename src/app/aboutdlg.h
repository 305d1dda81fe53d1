#pragma once

#include <QDialog>

class QLabel;

namespace sonvara {

// The About box: the program's picture, its name with version 2.01, the notices, the MPEG
// Layer-3 notice and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    static QString VersionText();

    QLabel* Product() const { return m_Product; }
    QLabel* Notices() const { return m_Notices; }

private:
    QLabel* m_Product;
    QLabel* m_Notices;
};

}  // namespace sonvara
