#include "ui/genproppage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tracks/settings.h"
#include "ui/dialogunits.h"

namespace sonvara {

namespace {

constexpr int kLoudnessTargets[] = {-23, -18, -16, -14};

int KindIndex(NormalizeMode mode, int target) {
    if (mode == NormalizeMode::kLoudness) {
        for (int i = 0; i < 4; ++i) {
            if (kLoudnessTargets[i] == target) {
                return i + 1;
            }
        }
    }
    return 0;
}

}  // namespace

CGenPropPage::CGenPropPage(CSettings& settings, QWidget* parent)
    : QWidget(parent), m_Settings(settings) {
    setObjectName(QStringLiteral("General"));
    auto* label = new QLabel(tr("Track Directory:"), this);
    m_TrackDir = new QLineEdit(this);
    m_TrackDir->setObjectName(QStringLiteral("trackDirEdit"));  // 1003
    m_TrackDir->setAccessibleName(tr("Track Directory"));
    label->setBuddy(m_TrackDir);
    m_Browse = new QPushButton(tr("..."), this);
    m_Browse->setObjectName(QStringLiteral("browseButton"));  // 1004
    m_Browse->setAccessibleName(tr("Choose the track directory"));
    m_Browse->setAutoDefault(false);
    m_ReadTags = new QCheckBox(tr("Read ID3 Tag"), this);  // 1005
    m_ReadTags->setObjectName(QStringLiteral("readTagsCheck"));
    m_Normalize = new QCheckBox(tr("Normalize"), this);  // 1006
    m_Normalize->setObjectName(QStringLiteral("normalizeCheck"));
    m_NormalizeKind = new QComboBox(this);
    m_NormalizeKind->setObjectName(QStringLiteral("normalizeKindCombo"));
    m_NormalizeKind->setAccessibleName(tr("Normalize to"));
    m_NormalizeKind->addItems({tr("to a common peak (95 %)"), tr("to -23 LUFS (EBU R 128)"),
                               tr("to -18 LUFS (ReplayGain)"), tr("to -16 LUFS"),
                               tr("to -14 LUFS")});
    m_NormalizeKind->setToolTip(
        tr("A loudness target brings each track to the same loudness as listeners hear it; "
           "the gain stops where the true peak would pass -1 dBTP."));
    auto* format = new QGroupBox(tr("WAV Format"), this);
    m_Uncompressed = new QRadioButton(tr("WAV uncompressed (1:1)"), format);  // 1007
    m_Uncompressed->setObjectName(QStringLiteral("uncompressedRadio"));
    m_Compressed = new QRadioButton(tr("WAV compressed (1:4)"), format);  // 1008
    m_Compressed->setObjectName(QStringLiteral("compressedRadio"));
    m_ConvertCorrupt = new QCheckBox(tr("Try to convert corrupt files"), this);  // 1009
    m_ConvertCorrupt->setObjectName(QStringLiteral("convertCorruptCheck"));
    m_DecodeCheck = new QCheckBox(tr("Decode every frame when analysing (slower)"), this);
    m_DecodeCheck->setObjectName(QStringLiteral("decodeCheck"));
    m_DecodeCheck->setToolTip(
        tr("A frame the decoder rejects makes the file Corrupt and is "
           "listed on the Check page of its properties."));

    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(m_TrackDir, 1);
    dirRow->addWidget(m_Browse);
    auto* formatBox = new QVBoxLayout(format);
    formatBox->addWidget(m_Uncompressed);
    formatBox->addWidget(m_Compressed);
    auto* page = new QVBoxLayout(this);
    page->addWidget(label);
    page->addLayout(dirRow);
    page->addSpacing(6);
    page->addWidget(m_ReadTags);
    auto* normalizeRow = new QHBoxLayout;
    normalizeRow->addWidget(m_Normalize);
    normalizeRow->addWidget(m_NormalizeKind, 1);
    page->addLayout(normalizeRow);
    page->addWidget(format);
    page->addWidget(m_ConvertCorrupt);
    page->addWidget(m_DecodeCheck);
    page->addStretch(1);
    setMinimumSize(DialogUnits(this, 210, 154));

    setTabOrder(m_TrackDir, m_Browse);
    setTabOrder(m_Browse, m_ReadTags);
    setTabOrder(m_ReadTags, m_Normalize);
    setTabOrder(m_Normalize, m_NormalizeKind);
    setTabOrder(m_NormalizeKind, m_Uncompressed);
    setTabOrder(m_Uncompressed, m_Compressed);
    setTabOrder(m_Compressed, m_ConvertCorrupt);
    setTabOrder(m_ConvertCorrupt, m_DecodeCheck);

    connect(m_TrackDir, &QLineEdit::textChanged, this, &CGenPropPage::MarkModified);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_ReadTags), static_cast<QAbstractButton*>(m_Normalize),
          static_cast<QAbstractButton*>(m_Uncompressed),
          static_cast<QAbstractButton*>(m_Compressed),
          static_cast<QAbstractButton*>(m_ConvertCorrupt),
          static_cast<QAbstractButton*>(m_DecodeCheck)}) {
        connect(b, &QAbstractButton::clicked, this, &CGenPropPage::MarkModified);
    }
    connect(m_Browse, &QPushButton::clicked, this, &CGenPropPage::OnBrowse);
    connect(m_NormalizeKind, &QComboBox::activated, this, &CGenPropPage::MarkModified);
    connect(m_Normalize, &QCheckBox::toggled, m_NormalizeKind, &QWidget::setEnabled);
}

void CGenPropPage::EnsureCreated() {
    if (m_Created) {
        return;
    }
    m_Created = true;
    m_Loading = true;
    m_TrackDir->setText(QString::fromStdString(m_Settings.GetTrackDir()));
    (m_Settings.GetWAVFormat() != 0 ? m_Compressed : m_Uncompressed)->setChecked(true);
    m_ReadTags->setChecked(m_Settings.GetID3Check());
    m_Normalize->setChecked(m_Settings.GetNormalize());
    m_NormalizeKind->setEnabled(m_Normalize->isChecked());
    m_NormalizeKind->setCurrentIndex(
        KindIndex(m_Settings.GetNormalizeMode(), m_Settings.GetLoudnessTarget()));
    m_ConvertCorrupt->setChecked(m_Settings.GetConvertCorruptFiles());
    m_DecodeCheck->setChecked(m_Settings.GetDecodeCheck());
    m_Loading = false;
}

void CGenPropPage::Save() {
    m_Settings.SetTrackDir(m_TrackDir->text().toStdString());
    m_Settings.SetWAVFormat(m_Uncompressed->isChecked() ? 0 : 1);
    m_Settings.SetID3Check(m_ReadTags->isChecked() ? 1 : 0);
    m_Settings.SetNormalize(m_Normalize->isChecked() ? 1 : 0);
    // The loudness keys are written only when they change, so a profile that never chose a
    // loudness target stays as it was.
    const int kind = m_NormalizeKind->currentIndex();
    const NormalizeMode mode = kind > 0 ? NormalizeMode::kLoudness : NormalizeMode::kPeak;
    if (mode != m_Settings.GetNormalizeMode()) {
        m_Settings.SetNormalizeMode(mode);
    }
    if (kind > 0 && kLoudnessTargets[kind - 1] != m_Settings.GetLoudnessTarget()) {
        m_Settings.SetLoudnessTarget(kLoudnessTargets[kind - 1]);
    }
    m_Settings.SetConvertCorruptFiles(m_ConvertCorrupt->isChecked() ? 1 : 0);
    // Written only when it changes: a profile that never chose it stays as it was.
    if (m_DecodeCheck->isChecked() != m_Settings.GetDecodeCheck()) {
        m_Settings.SetDecodeCheck(m_DecodeCheck->isChecked() ? 1 : 0);
    }
}

void CGenPropPage::MarkModified() {
    if (!m_Loading) {
        emit Modified();
    }
}

void CGenPropPage::ChooseFolder(const QString& folder) {
    QString dir = QDir::toNativeSeparators(QDir::cleanPath(folder));
    // The folder without its trailing separator; the root of a file system stays whole.
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))) &&
           !(dir.size() == 3 && dir[1] == QLatin1Char(':'))) {
        dir.chop(1);
    }
    if (dir.size() == 3 && dir[1] == QLatin1Char(':')) {
        dir.chop(1);  // a drive's root is named "E:"
    }
    m_TrackDir->setText(dir);
    emit Modified();
}

void CGenPropPage::OnBrowse() {
    QFileDialog picker(this, tr("Select Path"));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly, true);
    picker.setOption(QFileDialog::DontUseNativeDialog, true);
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    const QString current = m_TrackDir->text();
    if (!current.isEmpty() && QDir(current).exists()) {
        picker.setDirectory(current);
    }
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) {
        return;
    }
    ChooseFolder(picker.selectedFiles().constFirst());
}

}  // namespace sonvara
