#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QSet>

#include <functional>
#include <vector>

class QMenu;
class QStyleOptionMenuItem;
class QWidget;

namespace sonvara {

// Moves each of red, green and blue the fraction f of the way towards 255 (truncated); a factor
// outside 0 < f <= 1 leaves the colour unchanged.
QColor Lighten(const QColor& colour, double f);

// Moves each channel the fraction f of the way towards `target` (the dark-palette form of
// lightening: towards the menu background instead of towards white).
QColor MoveTowards(const QColor& colour, const QColor& target, double f);

// The colours of the flat menus for one palette. On a light palette they are the fixed ones
// (strip RGB(222, 219, 214); background RGB(255, 251, 247) when the button face equals the menu
// colour; the selection the highlight lightened by 0.85). On a dark palette those would put
// light text on light fills, so every fill comes from the palette and "lightening" moves a
// colour towards the menu background instead of towards white.
struct GlintColours {
    bool dark = false;
    QColor background;
    QColor strip;
    QColor selection;
    QColor highlight;
    QColor text;
    QColor greyText;  // disabled text, unselected
    QColor greyTextSelected;
    QColor checkedBox;
    QColor checkedBoxSelected;
    QColor shadow;  // button shadow
    QColor light;   // the light half of the etched separator
};
GlintColours GlintColoursFor(const QPalette& palette);

// A dark palette for the whole program (SONVARA_PALETTE=dark), as dark desktops set one.
QPalette DarkPalette();

// One command's picture in the 16 x 15 cell and the three pictures derived from it; in each
// derived picture only the picture's own pixels (not the transparent background) change.
struct GlintPictures {
    QPixmap plain;
    QPixmap faded;   // each pixel lightened by 0.3
    QPixmap shadow;  // the button-shadow colour lightened by 0.49
    QPixmap grey;    // the button-shadow colour lightened by the pixel's brightness
};

// The owner-drawn menus: which menus are ours, the pictures per command id, and the
// menu-character rule. The program object owns one and hands it to the style that draws the
// menus. Used on the UI thread only.
class GlintMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 16;
    static constexpr int kPictureHeight = 15;
    static constexpr int kPadding = 7;
    static constexpr int kSeparatorHeight = 3;
    static constexpr int kStripWidth = kPictureWidth + kPadding;
    static constexpr int kTextGap = 8;

    // The commands that have a picture in the menus, in the order of the menu toolbar.
    static const std::vector<int>& ToolbarCommands();

    // Every menu whose parent is `owner` (the menu bar, a view with a context menu), and the
    // submenus of such a menu, is drawn flat. Menus of other owners keep the base style.
    void AttachOwner(QWidget* owner);
    void AttachMenu(QMenu* menu);
    bool IsMenu(const QWidget* widget) const;
    // A menu bar given to AttachOwner: its titles are drawn flat too.
    bool IsMenuBar(const QWidget* widget) const;

    // Gives each command of `buttons` the picture `iconFor` returns (a null icon: the command
    // keeps what it has). A second picture for a command replaces the first.
    void LoadToolbar(const std::vector<int>& buttons, const std::function<QIcon(int)>& iconFor);
    void SetPicture(int id, const QIcon& icon);
    bool HasPicture(int id) const;
    // The pictures of a command for this palette and device pixel ratio; null when it has none.
    const GlintPictures* Pictures(int id, const QPalette& palette, qreal dpr);

    // The menu-character rule: the first item from the top whose text, in lower case, contains
    // "&" followed by the typed character; null when none.
    static QAction* MenuCharMatch(const QMenu* menu, const QString& typed);

private:
    struct PictureSet {
        QIcon icon;
        // Derived pictures, made for one palette and pixel ratio at a time.
        quint64 key = 0;
        GlintPictures made;
    };
    // Keeps the widget in the set until it is destroyed.
    void Remember(QSet<const QWidget*>& set, QWidget* widget);

    QHash<int, PictureSet> m_Pictures;
    QSet<const QWidget*> m_Owners;
    QSet<const QWidget*> m_Menus;
};

// The style that draws the flat menus: a proxy over a pinned Fusion, which draws everything
// else, and the menus that are not the given GlintMenu's, unchanged. Without a GlintMenu (before
// the program object hands its own, after it has gone) no menu is drawn flat.
class CGlintMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit CGlintMenuStyle(GlintMenu* menus = nullptr);
    void SetMenus(GlintMenu* menus) { m_Menus = menus; }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawItem(const QStyleOptionMenuItem* item, QPainter* painter, const QWidget* widget) const;
    void DrawBarItem(const QStyleOptionMenuItem* item, QPainter* painter,
                     const QWidget* widget) const;
    bool IsMenu(const QWidget* widget) const {
        return m_Menus != nullptr && m_Menus->IsMenu(widget);
    }

    QPointer<GlintMenu> m_Menus;
};

}  // namespace sonvara
