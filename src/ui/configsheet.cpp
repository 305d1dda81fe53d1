#include "ui/configsheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/encoderproppage.h"
#include "ui/genproppage.h"
#include "ui/pagefocus.h"

namespace sonvara {

CConfigSheet::CConfigSheet(CSettings& settings, CHelpContext& help, QWidget* parent)
    : QDialog(parent),
      m_Help(&help, kHelpOptions),
      m_General(new CGenPropPage(settings)),
      m_Encoder(new CEncoderPropPage(settings)),
      m_Tabs(new QTabWidget(this)),
      m_Buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)) {
    setWindowTitle(tr("Velmora Sonvara 2.0 Configuration"));
    setObjectName(QStringLiteral("configSheet"));
    m_Tabs->addTab(m_General, tr("General"));
    m_Tabs->addTab(m_Encoder, tr("MP3 Encoder"));
    m_Tabs->setCurrentIndex(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Tabs);
    layout->addWidget(m_Buttons);
    ApplyButton()->setEnabled(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_Tabs, &QTabWidget::currentChanged, this, &CConfigSheet::OnPageShown);
    connect(m_General, &CGenPropPage::Modified, this, &CConfigSheet::OnModified);
    connect(m_Encoder, &CEncoderPropPage::Modified, this, &CConfigSheet::OnModified);
    connect(OkButton(), &QPushButton::clicked, this, &CConfigSheet::OnOk);
    connect(ApplyButton(), &QPushButton::clicked, this, &CConfigSheet::OnApply);
    connect(m_Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QPushButton* CConfigSheet::OkButton() const {
    return m_Buttons->button(QDialogButtonBox::Ok);
}
QPushButton* CConfigSheet::CancelButton() const {
    return m_Buttons->button(QDialogButtonBox::Cancel);
}
QPushButton* CConfigSheet::ApplyButton() const {
    return m_Buttons->button(QDialogButtonBox::Apply);
}

void CConfigSheet::showEvent(QShowEvent* event) {
    OnPageShown(m_Tabs->currentIndex());
    QDialog::showEvent(event);
    FocusFirstControl(m_Tabs->currentWidget());  // the keyboard starts in the page
}

void CConfigSheet::OnPageShown(int index) {
    if (index == 0) {
        m_General->EnsureCreated();
    } else if (index == 1) {
        m_Encoder->EnsureCreated();
    }
}

void CConfigSheet::OnModified() {
    ApplyButton()->setEnabled(true);
}

bool CConfigSheet::SaveAll() {
    if (m_General->IsCreated()) {
        m_General->Save();
    }
    if (m_Encoder->IsCreated()) {
        m_Encoder->Save();
    }
    return true;
}

void CConfigSheet::OnApply() {
    SaveAll();
    ApplyButton()->setEnabled(false);
}

void CConfigSheet::OnOk() {
    SaveAll();
    accept();
}

}  // namespace sonvara
