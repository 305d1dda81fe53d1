// The flat menus: colours, pictures, measures and the menu-character rule, checked on menus
// rendered to images and driven with keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include "app/glintmenu.h"
#include "support/runevents.h"
#include "ui/commandids.h"

namespace sonvara {
namespace {

const QColor kStrip(222, 219, 214);

QIcon SolidIcon(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.fillRect(3, 3, 10, 10, colour);
    return QIcon(pixmap);
}

QAction* AddCommand(QMenu& menu, const QString& text, int id) {
    QAction* action = menu.addAction(text);
    action->setData(id);
    return action;
}

// Opens the menu (so that its items are laid out), grabs it, closes it.
QImage Render(QMenu& menu) {
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return image;
}

// Every pixel of the picture place of the item in the strip.
std::vector<QColor> PicturePixels(const QImage& image, const QMenu& menu, QAction* action) {
    const QRect item = menu.actionGeometry(action);
    std::vector<QColor> out;
    const int top = item.top() + (item.height() - GlintMenu::kPictureHeight) / 2;
    const int left = item.left() + (GlintMenu::kStripWidth - GlintMenu::kPictureWidth) / 2;
    for (int y = top; y < top + GlintMenu::kPictureHeight; ++y) {
        for (int x = left; x < left + GlintMenu::kPictureWidth; ++x) {
            out.push_back(image.pixelColor(x, y));
        }
    }
    return out;
}

// The program's style draws this test's own menus and pictures, which go with the test.
class GlintMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Style = qobject_cast<CGlintMenuStyle*>(QApplication::style());
        ASSERT_NE(m_Style, nullptr);
        m_Style->SetMenus(&m_Menus);
        m_Menus.AttachOwner(&m_Owner);
        m_Menus.SetPicture(cmd::kAnalyze, SolidIcon(Qt::red));
    }
    void TearDown() override {
        if (m_Style != nullptr) {
            m_Style->SetMenus(nullptr);
        }
    }
    GlintMenu m_Menus;
    QWidget m_Owner;
    CGlintMenuStyle* m_Style = nullptr;
};

TEST(Lighten, MovesEachChannelTowardsWhiteAndIgnoresFactorsOutOfRange) {
    EXPECT_EQ(Lighten(QColor(0, 0, 0), 0.85), QColor(216, 216, 216));
    EXPECT_EQ(Lighten(QColor(0, 120, 215), 0.85), QColor(216, 234, 249));
    EXPECT_EQ(Lighten(QColor(10, 20, 30), 1.0), QColor(255, 255, 255));
    EXPECT_EQ(Lighten(QColor(10, 20, 30), 0.0), QColor(10, 20, 30));
    EXPECT_EQ(Lighten(QColor(10, 20, 30), 1.5), QColor(10, 20, 30));
    EXPECT_EQ(Lighten(QColor(10, 20, 30), -0.2), QColor(10, 20, 30));
}

TEST_F(GlintMenuTest, StripAtTheLeftPictureWhereTheCommandHasOneAndNoneWhereNot) {
    QMenu menu(&m_Owner);
    QAction* analyze = AddCommand(menu, "&Analyze...", cmd::kAnalyze);
    QAction* convert = AddCommand(menu, "&Convert MP3 -> WAV...", cmd::kMp3ToWav);
    const QImage image = Render(menu);
    menu.close();

    for (QAction* action : {analyze, convert}) {
        const QRect item = menu.actionGeometry(action);
        EXPECT_EQ(image.pixelColor(item.left() + 1, item.center().y()), kStrip);
        EXPECT_EQ(image.pixelColor(item.left() + GlintMenu::kStripWidth - 1, item.center().y()),
                  kStrip);
        // Behind the text: the background, the button face equalling the menu colour.
        EXPECT_EQ(image.pixelColor(item.right() - 2, item.top() + 1), QColor(255, 251, 247));
    }
    int reddish = 0;
    for (const QColor& c : PicturePixels(image, menu, analyze)) {
        reddish += c.red() > 200 && c.green() < 120 ? 1 : 0;  // red lightened by 0.3 (faded)
    }
    EXPECT_GT(reddish, 50);
    for (const QColor& c : PicturePixels(image, menu, convert)) {
        ASSERT_EQ(c, kStrip);
    }
}

TEST_F(GlintMenuTest, SelectedItemIsFilledWithTheLightenedHighlightAndItsPictureRaised) {
    QMenu menu(&m_Owner);
    QAction* analyze = AddCommand(menu, "&Analyze...", cmd::kAnalyze);
    AddCommand(menu, "&Convert MP3 -> WAV...", cmd::kMp3ToWav);
    menu.popup(QPoint(10, 10));
    menu.setActiveAction(analyze);
    const QImage image = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    menu.close();
    const QRect item = menu.actionGeometry(analyze);
    const QColor selection = Lighten(menu.palette().color(QPalette::Highlight), 0.85);
    EXPECT_EQ(image.pixelColor(item.left() + 1, item.center().y()), selection);
    EXPECT_EQ(image.pixelColor(item.right() - 2, item.center().y()), selection);
    // The plain picture one pixel up and left: pure red there.
    const int top = item.top() + (item.height() - GlintMenu::kPictureHeight) / 2;
    const int left = item.left() + (GlintMenu::kStripWidth - GlintMenu::kPictureWidth) / 2;
    EXPECT_EQ(image.pixelColor(left + 5, top + 5), QColor(Qt::red));
}

TEST_F(GlintMenuTest, SeparatorsAreThreePixelsAndItemsHoldPictureAndPadding) {
    QMenu menu(&m_Owner);
    QAction* first = AddCommand(menu, "&Save Analysis Results...", cmd::kSaveResults);
    QAction* separator = menu.addSeparator();
    AddCommand(menu, "E&xit", cmd::kExit);
    Render(menu);
    menu.close();
    EXPECT_EQ(menu.actionGeometry(separator).height(), GlintMenu::kSeparatorHeight);
    EXPECT_GE(menu.actionGeometry(first).height(), GlintMenu::kPictureHeight + GlintMenu::kPadding);
    const int textWidth = menu.fontMetrics().horizontalAdvance("Save Analysis Results...");
    EXPECT_GE(menu.actionGeometry(first).width(),
              textWidth + GlintMenu::kPictureWidth + GlintMenu::kPadding + GlintMenu::kTextGap);
}

TEST_F(GlintMenuTest, MenusOfOtherOwnersKeepTheBaseStyle) {
    QWidget stranger;
    QMenu menu(&stranger);
    QAction* analyze = AddCommand(menu, "&Analyze...", cmd::kAnalyze);
    const QImage image = Render(menu);
    menu.close();
    EXPECT_FALSE(m_Menus.IsMenu(&menu));
    const QRect item = menu.actionGeometry(analyze);
    EXPECT_NE(image.pixelColor(item.left() + 1, item.center().y()), kStrip);
    EXPECT_NE(menu.actionGeometry(analyze).height(), 0);

    // A submenu of one of ours is ours.
    QMenu mine(&m_Owner);
    QMenu* sub = mine.addMenu("&Selected");
    EXPECT_TRUE(m_Menus.IsMenu(&mine));
    EXPECT_TRUE(m_Menus.IsMenu(sub));
}

TEST_F(GlintMenuTest, MenuBarTitlesAreFlatAndTheOpenOneTakesTheSelectionColour) {
    QMenuBar bar;
    m_Menus.AttachOwner(&bar);
    QMenu* file = bar.addMenu("&File");
    AddCommand(*file, "E&xit", cmd::kExit);
    bar.addMenu("&Help");
    bar.resize(300, bar.sizeHint().height());
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar, test::kHungMs));
    const QColor window = bar.palette().color(QPalette::Window);
    const QRect title = bar.actionGeometry(file->menuAction());

    // Closed: one flat colour over the whole bar, from its top to its bottom row.
    QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixelColor(image.width() - 3, y), window) << "row " << y;
        EXPECT_EQ(image.pixelColor(title.left() + 1, y), window) << "row " << y;
    }

    // Open: the title filled with the selection colour of the menus, framed in the highlight.
    bar.setActiveAction(file->menuAction());
    QApplication::processEvents();
    image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    file->close();
    const GlintColours colours = GlintColoursFor(bar.palette());
    EXPECT_EQ(image.pixelColor(title.left() + 2, title.top() + 3), colours.selection);
    EXPECT_EQ(image.pixelColor(title.left(), title.center().y()), colours.highlight);
}

TEST_F(GlintMenuTest, ToolbarWithoutPicturesLeavesThePicturesAsTheyWere) {
    EXPECT_TRUE(m_Menus.HasPicture(cmd::kAnalyze));
    m_Menus.LoadToolbar(GlintMenu::ToolbarCommands(), [](int) { return QIcon(); });
    EXPECT_TRUE(m_Menus.HasPicture(cmd::kAnalyze));
    EXPECT_FALSE(m_Menus.HasPicture(cmd::kSaveResults));
    m_Menus.LoadToolbar({cmd::kSaveResults}, [](int) { return SolidIcon(Qt::blue); });
    EXPECT_TRUE(m_Menus.HasPicture(cmd::kSaveResults));
    // A second picture replaces the first.
    const QPalette palette = QApplication::palette();
    m_Menus.SetPicture(cmd::kAnalyze, SolidIcon(Qt::green));
    const GlintPictures* pictures = m_Menus.Pictures(cmd::kAnalyze, palette, 1.0);
    ASSERT_NE(pictures, nullptr);
    EXPECT_EQ(pictures->plain.toImage().pixelColor(7, 7), QColor(Qt::green));
    EXPECT_EQ(pictures->plain.width(), GlintMenu::kPictureWidth);
    EXPECT_EQ(pictures->plain.height(), GlintMenu::kPictureHeight);
    // Derived pictures change only the picture's pixels, not its transparent background.
    EXPECT_EQ(pictures->faded.toImage().pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(pictures->faded.toImage().pixelColor(7, 7), Lighten(QColor(Qt::green), 0.3));
    EXPECT_EQ(pictures->shadow.toImage().pixelColor(7, 7),
              Lighten(palette.color(QPalette::Dark), 0.49));
    EXPECT_EQ(m_Menus.Pictures(cmd::kMp3ToWav, palette, 1.0), nullptr);
}

TEST_F(GlintMenuTest, MenuCharacterRunsTheFirstItemHoldingAmpersandAndTheKey) {
    QMenu menu(&m_Owner);
    QAction* alpha = AddCommand(menu, "&Alpha", 1);
    QAction* another = AddCommand(menu, "&Another", 2);
    QAction* beta = AddCommand(menu, "&Beta", 3);
    QAction* both = AddCommand(menu, "&Move && Save", 4);
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "a"), alpha);
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "A"), alpha);
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "b"), beta);
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "m"), both);
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "s"), nullptr);  // "&& S" is no mnemonic
    EXPECT_EQ(GlintMenu::MenuCharMatch(&menu, "z"), nullptr);
    another->setEnabled(true);

    QSignalSpy ran(&menu, &QMenu::triggered);
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    // Two items hold "&a": a plain menu would only select; ours runs the first.
    QTest::keyClick(&menu, Qt::Key_A);
    ASSERT_EQ(ran.count(), 1);
    EXPECT_EQ(ran.at(0).at(0).value<QAction*>(), alpha);
    EXPECT_FALSE(menu.isVisible());

    // A disabled first match runs nothing.
    alpha->setEnabled(false);
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    QTest::keyClick(&menu, Qt::Key_A);
    EXPECT_EQ(ran.count(), 1);
    menu.close();
}

TEST_F(GlintMenuTest, OnADarkPaletteTheMenuIsDarkWithItsStripFromThePalette) {
    QMenu menu(&m_Owner);
    menu.setPalette(DarkPalette());
    QAction* analyze = AddCommand(menu, "&Analyze...", cmd::kAnalyze);
    const QImage image = Render(menu);
    menu.close();
    const GlintColours colours = GlintColoursFor(DarkPalette());
    const QRect item = menu.actionGeometry(analyze);
    EXPECT_EQ(image.pixelColor(item.left() + 1, item.center().y()), colours.strip);
    EXPECT_EQ(image.pixelColor(item.right() - 2, item.top() + 1), colours.background);
    EXPECT_LT(colours.background.lightness(), 100);
    for (const QColor& fill : {colours.background, colours.strip, colours.selection}) {
        EXPECT_GT(colours.text.lightness() - fill.lightness(), 90) << fill.name().toStdString();
    }
}

TEST(GlintColours, DarkPaletteTakesItsFillsFromThePalette) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::Button, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::Dark, QColor(20, 20, 20));
    const GlintColours colours = GlintColoursFor(dark);
    EXPECT_TRUE(colours.dark);
    EXPECT_EQ(colours.background, QColor(45, 45, 48));
    EXPECT_NE(colours.strip, QColor(222, 219, 214));
    // The text stays readable on every fill.
    for (const QColor& fill : {colours.background, colours.strip, colours.selection}) {
        EXPECT_GT(colours.text.lightness() - fill.lightness(), 90) << fill.name().toStdString();
    }
    const GlintColours light = GlintColoursFor(QApplication::style()->standardPalette());
    EXPECT_FALSE(light.dark);
    EXPECT_EQ(light.strip, QColor(222, 219, 214));
    for (const QColor& fill : {light.background, light.strip, light.selection}) {
        EXPECT_GT(fill.lightness() - light.text.lightness(), 90) << fill.name().toStdString();
    }
}

// Every command picture stays clear on both palettes: along the edge of its drawing (an opaque
// pixel beside a transparent one) some drawn pixel within two pixels stands out from the
// toolbar's background by its brightness, so a dark drawing on the dark palette keeps its
// outline (a light halo) and the halo does not hide it on the light one.
TEST(CommandPictures, TheirOutlinesStandOutOnTheLightAndTheDarkPalette) {
    const QDir pictures(":/icons");
    const QStringList names = pictures.entryList({"*.svg"}, QDir::Files);
    ASSERT_GE(names.size(), 11);
    for (const QPalette& palette : {QApplication::style()->standardPalette(), DarkPalette()}) {
        const QColor background = palette.color(QPalette::Window);
        for (const QString& name : names) {
            QImage drawing = QIcon(pictures.filePath(name))
                                 .pixmap(48, 48)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
            QImage shown(drawing.size(), QImage::Format_ARGB32);
            shown.fill(background);
            QPainter(&shown).drawImage(0, 0, drawing);
            int edges = 0;
            int clear = 0;
            for (int y = 1; y + 1 < drawing.height(); ++y) {
                for (int x = 1; x + 1 < drawing.width(); ++x) {
                    if (qAlpha(drawing.pixel(x, y)) < 128) {
                        continue;
                    }
                    const bool edge = qAlpha(drawing.pixel(x - 1, y)) < 26 ||
                                      qAlpha(drawing.pixel(x + 1, y)) < 26 ||
                                      qAlpha(drawing.pixel(x, y - 1)) < 26 ||
                                      qAlpha(drawing.pixel(x, y + 1)) < 26;
                    if (!edge) {
                        continue;
                    }
                    ++edges;
                    // Seen: a drawn pixel within two pixels of the edge differs in brightness.
                    bool seen = false;
                    for (int dy = -2; dy <= 2 && !seen; ++dy) {
                        for (int dx = -2; dx <= 2 && !seen; ++dx) {
                            const QPoint p(x + dx, y + dy);
                            seen = shown.rect().contains(p) && qAlpha(drawing.pixel(p)) >= 128 &&
                                   std::abs(qGray(shown.pixel(p)) - qGray(background.rgb())) >= 40;
                        }
                    }
                    clear += seen ? 1 : 0;
                }
            }
            ASSERT_GT(edges, 0) << name.toStdString();
            EXPECT_GE(clear * 10, edges * 9)
                << name.toStdString() << " on " << background.name().toStdString() << ": " << clear
                << " of " << edges << " edge pixels stand out";
        }
    }
}

}  // namespace
}  // namespace sonvara
