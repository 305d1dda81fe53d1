#include "ui/encoderproppage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tracks/settings.h"
#include "ui/dialogunits.h"

namespace sonvara {

CEncoderPropPage::CEncoderPropPage(CSettings& settings, QWidget* parent)
    : QWidget(parent), m_Settings(settings) {
    setObjectName(QStringLiteral("MP3 Encoder"));
    auto* bitRateLabel = new QLabel(tr("Bit Rate:"), this);
    m_BitRateList = new QComboBox(this);  // 1053
    m_BitRateList->setObjectName(QStringLiteral("bitRateList"));
    m_BitRateList->addItems({tr("64 kBit/s (Tape quality)"), tr("96 kBit/s (Tape quality)"),
                             tr("128 kBit/s (HiFi quality)"), tr("160 kBit/s (HiFi quality)"),
                             tr("192 kBit/s (CD quality)"), tr("256 kBit/s (Studio quality)"),
                             tr("320 kBit/s (Studio quality)")});
    bitRateLabel->setBuddy(m_BitRateList);
    auto* qualityLabel = new QLabel(tr("Quality:"), this);
    m_QualityList = new QComboBox(this);  // 1011
    m_QualityList->setObjectName(QStringLiteral("qualityList"));
    m_QualityList->addItems({tr("Normal"), tr("Low"), tr("High")});
    qualityLabel->setBuddy(m_QualityList);
    auto* mode = new QGroupBox(tr("Encoding with"), this);
    m_Vbr = new QRadioButton(tr("Variable Bit Rate (VBR)"), mode);  // 1169
    m_Vbr->setObjectName(QStringLiteral("vbrRadio"));
    m_Cbr = new QRadioButton(tr("Constant Bit Rate (CBR)"), mode);  // 1168
    m_Cbr->setObjectName(QStringLiteral("cbrRadio"));

    auto* grid = new QGridLayout;
    grid->addWidget(bitRateLabel, 0, 0);
    grid->addWidget(m_BitRateList, 0, 1);
    grid->addWidget(qualityLabel, 1, 0);
    grid->addWidget(m_QualityList, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* modeBox = new QVBoxLayout(mode);
    modeBox->addWidget(m_Vbr);
    modeBox->addWidget(m_Cbr);
    auto* page = new QVBoxLayout(this);
    page->addLayout(grid);
    page->addSpacing(6);
    page->addWidget(mode);
    page->addStretch(1);
    setMinimumSize(DialogUnits(this, 210, 154));

    setTabOrder(m_BitRateList, m_QualityList);
    setTabOrder(m_QualityList, m_Vbr);
    setTabOrder(m_Vbr, m_Cbr);

    connect(m_BitRateList, &QComboBox::currentIndexChanged, this, &CEncoderPropPage::MarkModified);
    connect(m_QualityList, &QComboBox::currentIndexChanged, this, &CEncoderPropPage::MarkModified);
    connect(m_Vbr, &QRadioButton::clicked, this, &CEncoderPropPage::MarkModified);
    connect(m_Cbr, &QRadioButton::clicked, this, &CEncoderPropPage::MarkModified);
}

void CEncoderPropPage::EnsureCreated() {
    if (m_Created) {
        return;
    }
    m_Created = true;
    const EncoderProperties p = m_Settings.GetEncoderProperties();
    m_BitRate = p.bitRateIndex;
    m_Quality = p.qualityIndex;
    m_Loading = true;
    (p.cbr ? m_Cbr : m_Vbr)->setChecked(true);
    ToControls();
    m_Loading = false;
}

void CEncoderPropPage::ToControls() {
    // An index without an entry (7 from an edited profile) leaves the list without a selection.
    const auto select = [](QComboBox* list, std::int32_t index) {
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    };
    select(m_BitRateList, m_BitRate);
    select(m_QualityList, m_Quality);
}

void CEncoderPropPage::FromControls() {
    m_BitRate = m_BitRateList->currentIndex();
    m_Quality = m_QualityList->currentIndex();
}

void CEncoderPropPage::Save() {
    FromControls();
    EncoderProperties p;
    p.bitRateIndex = m_BitRate;
    p.qualityIndex = m_Quality;
    p.cbr = m_Cbr->isChecked();
    p.vbr = !p.cbr;
    m_Settings.SetEncoderProperties(p);
    m_Loading = true;
    ToControls();
    m_Loading = false;
}

void CEncoderPropPage::MarkModified() {
    if (!m_Loading) {
        emit Modified();
    }
}

}  // namespace sonvara
