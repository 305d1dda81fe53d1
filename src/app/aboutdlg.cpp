#include "app/aboutdlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonvara {

QString CAboutDlg::VersionText() {
    return QStringLiteral("2.01");
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutDlg");
    setWindowTitle(tr("About Velmora Sonvara 2.0"));
    setAccessibleName(windowTitle());

    auto* picture = new QLabel(this);
    picture->setObjectName("AboutPicture");
    picture->setPixmap(QIcon(QStringLiteral(":/app/sonvara.svg")).pixmap(64, 64));
    picture->setAccessibleName(tr("Program picture"));
    picture->setAlignment(Qt::AlignTop);

    m_Product = new QLabel(tr("<b>Velmora Sonvara 2.0</b><br>Version %1").arg(VersionText()), this);
    m_Product->setObjectName("AboutProduct");
    m_Notices = new QLabel(
        tr("Copyright (C) Velmora. This program checks MP3 files frame by frame, converts "
           "between MP3 and WAV and edits title, artist and album tags.<br><br>"
           "MPEG Layer-3 audio coding technology: MP3 files are encoded with the LAME "
           "library and decoded with libmpg123; tags are read and written with TagLib. The "
           "patents on MPEG Layer-3 audio coding have expired, so no patent licence is needed "
           "to encode or decode MP3 files with this program."),
        this);
    m_Notices->setObjectName("AboutNotices");
    m_Notices->setWordWrap(true);
    m_Notices->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_Product);
    texts->addWidget(m_Notices, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

}  // namespace sonvara
