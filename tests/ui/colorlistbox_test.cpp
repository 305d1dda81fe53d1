#include "ui/colorlistbox.h"
#include "support/runevents.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QtTest/QTest>
#include <cstdlib>

namespace sonvara {
namespace {

// Counts the pixels of about a colour (text is anti-aliased) inside a rectangle of the image.
int CountPixels(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 60 &&
                std::abs(c.green() - colour.green()) < 60 &&
                std::abs(c.blue() - colour.blue()) < 60) {
                ++n;
            }
        }
    }
    return n;
}

QImage Render(CColorListBox& list) {
    return list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(ColorListBox, LinesKeepTextColourAndOrder) {
    CColorListBox list;
    EXPECT_EQ(list.AddString("first"), 0);
    EXPECT_EQ(list.AddColoredString("second", 255), 1);
    list.AddColoredStrings({{"third", 0}, {"fourth", 0x00FF00}});
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetText(1), "second");
    EXPECT_EQ(list.GetItemData(0), 0u);
    EXPECT_EQ(list.GetItemData(1), 255u);
    EXPECT_EQ(list.GetItemData(3), 0x00FF00u);
    EXPECT_EQ(list.GetText(9), QString());
    EXPECT_EQ(CColorListBox::ColourOf(255), QColor(255, 0, 0));
    EXPECT_EQ(CColorListBox::ColourOf(0xFF0000), QColor(0, 0, 255));
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ColorListBox, RedLinesAreRedAndSelectedLinesInverse) {
    CColorListBox list;
    QPalette pal = list.palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    list.setPalette(pal);
    list.resize(300, 200);
    list.AddString("plain line WWWW");
    list.AddColoredString("red line WWWW", 255);
    list.AddString("plain selected WWWW");
    list.AddColoredString("red selected WWWW", 255);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list, test::kHungMs));

    QImage before = Render(list);
    const QRect plain = list.visualRect(list.model()->index(0, 0));
    const QRect red = list.visualRect(list.model()->index(1, 0));
    EXPECT_GT(CountPixels(before, plain, Qt::black), 10);
    EXPECT_EQ(CountPixels(before, plain, Qt::red), 0);
    EXPECT_GT(CountPixels(before, red, Qt::red), 10);
    EXPECT_EQ(CountPixels(before, red, Qt::black), 0);

    // A selected default line: filled black, text in the highlighted-text colour.
    list.setCurrentIndex(list.model()->index(2, 0));
    QImage selPlain = Render(list);
    const QRect r2 = list.visualRect(list.model()->index(2, 0));
    EXPECT_GT(CountPixels(selPlain, r2, Qt::black), r2.width() * r2.height() / 2);
    EXPECT_GT(CountPixels(selPlain, r2, Qt::white), 10);

    // A selected red line: filled red, text in the inverse colour (cyan).
    list.setCurrentIndex(list.model()->index(3, 0));
    QImage selRed = Render(list);
    const QRect r3 = list.visualRect(list.model()->index(3, 0));
    EXPECT_GT(CountPixels(selRed, r3, Qt::red), r3.width() * r3.height() / 2);
    EXPECT_GT(CountPixels(selRed, r3, QColor(0, 255, 255)), 10);
    // The line selected before is drawn as an unselected red line again.
    EXPECT_LT(CountPixels(selRed, r2, Qt::black), r2.width() * r2.height() / 2);
}

TEST(ColorListBox, HundredThousandLinesScrollToTheEnd) {
    CColorListBox list;
    list.resize(400, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list, test::kHungMs));
    for (int i = 0; i < 100000; ++i) {
        list.AddColoredString(QStringLiteral("/music/track %1.mp3").arg(i), i % 2 ? 255 : 0);
    }
    ASSERT_EQ(list.GetCount(), 100000);
    list.SetTopIndex(list.GetCount() - 1);
    QApplication::processEvents();
    // The list cannot scroll past its end: the last line is visible, near the top index.
    const QRect last = list.visualRect(list.model()->index(99999, 0));
    EXPECT_TRUE(list.viewport()->rect().intersects(last));
    EXPECT_GT(list.GetTopIndex(), 99900);
    // Every line has the same height: the view never asks per line.
    EXPECT_TRUE(list.uniformItemSizes());
    const QImage shot = Render(list);
    EXPECT_GT(CountPixels(shot, last, Qt::red), 10);
}

}  // namespace
}  // namespace sonvara
