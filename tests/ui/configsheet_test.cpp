#include "ui/configsheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest/QTest>

#include "support/runevents.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/encoderproppage.h"
#include "ui/genproppage.h"
#include "ui/helpcontext.h"
#include "ui/modalanswerer.h"

namespace sonvara {
namespace {

const char* const kGeneral = "GeneralProperties";
const char* const kEncoder = "EncoderProperties";

class ConfigSheet : public ::testing::Test {
protected:
    CMemoryProfileStore store;
    CSettings settings{store};
    CHelpContext help;

    void ShowSheet(CConfigSheet& sheet) {
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet, test::kHungMs));
    }
    // Clicks a check box or radio button on its indicator, as a user does.
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void ShowEncoderPage(CConfigSheet& sheet) {
        sheet.Tabs()->setCurrentIndex(1);
        QApplication::processEvents();
    }
};

TEST_F(ConfigSheet, OkWithoutVisitingTheEncoderPageWritesOnlyTheGeneralValues) {
    store.SetString(kGeneral, "TrackDir", "/srv/out");
    store.SetInt(kGeneral, "WAVFormat", 7);
    store.SetInt(kGeneral, "Normalize", 0);
    const int before = help.Get();
    {
        CConfigSheet sheet(settings, help);
        EXPECT_EQ(help.Get(), kHelpOptions);
        EXPECT_EQ(sheet.windowTitle(), "Velmora Sonvara 2.0 Configuration");
        ShowSheet(sheet);
        CGenPropPage* page = sheet.GeneralPage();
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        EXPECT_EQ(page->TrackDirEdit()->text(), "/srv/out");
        EXPECT_TRUE(page->CompressedRadio()->isChecked());  // any non-zero value
        EXPECT_FALSE(page->UncompressedRadio()->isChecked());
        EXPECT_TRUE(page->ReadTagsCheck()->isChecked());
        EXPECT_FALSE(page->NormalizeCheck()->isChecked());
        EXPECT_TRUE(page->ConvertCorruptCheck()->isChecked());
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
    }
    EXPECT_EQ(help.Get(), before);
    EXPECT_EQ(store.GetString(kGeneral, "TrackDir", "?"), "/srv/out");
    EXPECT_EQ(store.GetInt(kGeneral, "WAVFormat", -5), 1);  // the page writes only 0 or 1
    EXPECT_EQ(store.GetInt(kGeneral, "ID3Check", -5), 1);
    EXPECT_EQ(store.GetInt(kGeneral, "Normalize", -5), 0);
    EXPECT_EQ(store.GetInt(kGeneral, "ConvertCorruptFiles", -5), 1);
    for (const char* name : {"BitRate", "Quality", "CBR", "VBR"}) {
        EXPECT_FALSE(store.Has(kEncoder, name)) << name;
    }
    // A profile that never chose a loudness target stays without those keys.
    EXPECT_FALSE(store.Has(kGeneral, "NormalizeMode"));
    EXPECT_FALSE(store.Has(kGeneral, "LoudnessTarget"));
}

TEST_F(ConfigSheet, NormalizeKindChoosesPeakOrALoudnessTarget) {
    store.SetInt(kGeneral, "Normalize", 1);
    {
        CConfigSheet sheet(settings, help);
        ShowSheet(sheet);
        QComboBox* kind = sheet.GeneralPage()->NormalizeKindCombo();
        EXPECT_EQ(kind->currentIndex(), 0);  // peak, as before
        EXPECT_TRUE(kind->isEnabled());
        kind->setCurrentIndex(3);
        emit kind->activated(3);
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    }
    EXPECT_EQ(settings.GetNormalizeMode(), NormalizeMode::kLoudness);
    EXPECT_EQ(settings.GetLoudnessTarget(), -16);
    {
        CConfigSheet sheet(settings, help);
        ShowSheet(sheet);
        QComboBox* kind = sheet.GeneralPage()->NormalizeKindCombo();
        EXPECT_EQ(kind->currentIndex(), 3);
        Click(sheet.GeneralPage()->NormalizeCheck());
        EXPECT_FALSE(kind->isEnabled());
        kind->setCurrentIndex(0);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    }
    EXPECT_EQ(settings.GetNormalizeMode(), NormalizeMode::kPeak);
    EXPECT_FALSE(settings.GetNormalize());
}

TEST_F(ConfigSheet, CancelAfterChangesWritesNothing) {
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    CGenPropPage* page = sheet.GeneralPage();
    page->TrackDirEdit()->clear();
    QTest::keyClicks(page->TrackDirEdit(), "/tmp/elsewhere");
    Click(page->NormalizeCheck());
    Click(page->CompressedRadio());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    ShowEncoderPage(sheet);
    sheet.EncoderPage()->QualityList()->setCurrentIndex(2);
    QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    for (const char* name : {"WAVFormat", "ID3Check", "Normalize", "ConvertCorruptFiles"}) {
        EXPECT_FALSE(store.Has(kGeneral, name)) << name;
    }
    EXPECT_EQ(store.GetString(kGeneral, "TrackDir", "absent"), "absent");
    for (const char* name : {"BitRate", "Quality", "CBR", "VBR"}) {
        EXPECT_FALSE(store.Has(kEncoder, name)) << name;
    }
}

TEST_F(ConfigSheet, HighQualityWithVariableBitRateIsStoredAsTwoZeroOne) {
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    ShowEncoderPage(sheet);
    CEncoderPropPage* page = sheet.EncoderPage();
    EXPECT_EQ(page->BitRateList()->count(), 7);
    EXPECT_EQ(page->BitRateList()->itemText(6), "320 kBit/s (Studio quality)");
    EXPECT_EQ(page->BitRateList()->currentIndex(), 2);  // the defaults: 128 kbit/s, Normal, CBR
    EXPECT_EQ(page->QualityList()->currentText(), "Normal");
    EXPECT_TRUE(page->CbrRadio()->isChecked());
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

    page->QualityList()->setFocus();
    QTest::keyClick(page->QualityList(), Qt::Key_End);  // "High", the last entry
    EXPECT_EQ(page->QualityList()->currentText(), "High");
    Click(page->VbrRadio());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(store.GetInt(kEncoder, "BitRate", -5), 2);
    EXPECT_EQ(store.GetInt(kEncoder, "Quality", -5), 2);
    EXPECT_EQ(store.GetInt(kEncoder, "CBR", -5), 0);
    EXPECT_EQ(store.GetInt(kEncoder, "VBR", -5), 1);
    const EncoderProperties p = settings.GetEncoderProperties();
    EXPECT_EQ(p.qualityIndex, 2);
    EXPECT_TRUE(p.vbr);
    EXPECT_FALSE(p.cbr);
}

TEST_F(ConfigSheet, BitRateIndexWithoutEntryShowsAnEmptyListAndIsWrittenAsMinusOne) {
    store.SetInt(kEncoder, "BitRate", 7);  // 384 kbit/s, from an edited profile
    {
        // Not shown: left as it is.
        CConfigSheet sheet(settings, help);
        ShowSheet(sheet);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        EXPECT_EQ(store.GetInt(kEncoder, "BitRate", -5), 7);
    }
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    ShowEncoderPage(sheet);
    CEncoderPropPage* page = sheet.EncoderPage();
    EXPECT_EQ(page->BitRateList()->currentIndex(), -1);
    EXPECT_EQ(page->BitRateList()->currentText(), "");
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(store.GetInt(kEncoder, "BitRate", -5), -1);
    EXPECT_EQ(store.GetInt(kEncoder, "Quality", -5), 0);
    EXPECT_EQ(store.GetInt(kEncoder, "CBR", -5), 1);
    EXPECT_EQ(store.GetInt(kEncoder, "VBR", -5), 0);
    // Read back, the runs get the default bit rate.
    EXPECT_EQ(settings.GetEncoderProperties().bitRateIndex, 2);
}

TEST_F(ConfigSheet, ApplyWritesAndStaysOpen) {
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    CGenPropPage* page = sheet.GeneralPage();
    Click(page->ReadTagsCheck());
    ASSERT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    EXPECT_EQ(store.GetInt(kGeneral, "ID3Check", -5), 0);
    // A second change enables Apply again; Cancel now keeps what Apply wrote.
    Click(page->ConvertCorruptCheck());
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(store.GetInt(kGeneral, "ID3Check", -5), 0);
    EXPECT_EQ(store.GetInt(kGeneral, "ConvertCorruptFiles", -5), 1);
}

// A keyboard user: the sheet opens with the keyboard in the first control of its page, so the
// folder can be typed at once, and Tab walks on through the page to "Normalize".
TEST_F(ConfigSheet, OpensWithTheKeyboardInTheTrackDirectory) {
    store.SetString(kGeneral, "TrackDir", "/srv/old");
    store.SetInt(kGeneral, "Normalize", 0);
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet, test::kHungMs));
    CGenPropPage* page = sheet.GeneralPage();
    ASSERT_EQ(QApplication::focusWidget(), page->TrackDirEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "/srv/new");
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), page->NormalizeCheck());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the default button: OK
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(store.GetString(kGeneral, "TrackDir", ""), "/srv/new");
    EXPECT_EQ(store.GetInt(kGeneral, "Normalize", -5), 1);
}

TEST_F(ConfigSheet, FolderPickerSetsTheFolderWithoutTrailingSeparator) {
    test::CTempDir dir;
    const QString chosen = QString::fromStdString(dir.File("Music"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    CConfigSheet sheet(settings, help);
    ShowSheet(sheet);
    CGenPropPage* page = sheet.GeneralPage();
    test::CModalAnswerer<QFileDialog> answer([&](QFileDialog* picker) {
        EXPECT_EQ(picker->fileMode(), QFileDialog::Directory);
        picker->setDirectory(chosen);
        QMetaObject::invokeMethod(picker, "accept");
    });
    QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(answer.Answered(), 1);
    EXPECT_EQ(page->TrackDirEdit()->text(), chosen);
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());

    // A cancelled picker changes nothing.
    test::CModalAnswerer<QFileDialog> cancel([](QFileDialog* picker) { picker->reject(); });
    page->TrackDirEdit()->setText("/kept");
    QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(page->TrackDirEdit()->text(), "/kept");

    page->ChooseFolder("/");
    EXPECT_EQ(page->TrackDirEdit()->text(), "/");
    page->ChooseFolder("/srv/music/");
    EXPECT_EQ(page->TrackDirEdit()->text(), "/srv/music");
}

}  // namespace
}  // namespace sonvara
