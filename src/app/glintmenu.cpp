#include "app/glintmenu.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QSet>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include "ui/commandids.h"

namespace sonvara {

namespace {

int Channel(int c, double f) {
    return static_cast<int>(c + f * (255 - c));
}

int Towards(int c, int target, double f) {
    return static_cast<int>(c + f * (target - c));
}

// The picture's pixels (alpha > 0) recoloured by `colour` of each pixel; the transparent
// background stays transparent.
QImage Derive(const QImage& plain, const std::function<QColor(QRgb)>& colour) {
    QImage out = plain.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) == 0) {
                continue;
            }
            const QColor c = colour(pixel);
            line[x] = qRgba(c.red(), c.green(), c.blue(), qAlpha(pixel));
        }
    }
    return out;
}

QPixmap ToPixmap(QImage image, qreal dpr) {
    image.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(image);
}

QColor Lift(const GlintColours& colours, const QColor& c, double f) {
    return colours.dark ? MoveTowards(c, colours.background, f) : Lighten(c, f);
}

// The check mark of a checked item without a picture.
void DrawCheckMark(QPainter* painter, const QRect& box, const QColor& colour) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, 2);
    painter->setPen(pen);
    QPainterPath path;
    const QPointF c = QRectF(box).center();
    path.moveTo(c.x() - 4, c.y());
    path.lineTo(c.x() - 1, c.y() + 3);
    path.lineTo(c.x() + 4, c.y() - 3);
    painter->drawPath(path);
    painter->restore();
}

}  // namespace

QColor Lighten(const QColor& colour, double f) {
    if (!(f > 0.0 && f <= 1.0)) {
        return colour;
    }
    return QColor(Channel(colour.red(), f), Channel(colour.green(), f), Channel(colour.blue(), f));
}

QColor MoveTowards(const QColor& colour, const QColor& target, double f) {
    if (!(f > 0.0 && f <= 1.0)) {
        return colour;
    }
    return QColor(Towards(colour.red(), target.red(), f),
                  Towards(colour.green(), target.green(), f),
                  Towards(colour.blue(), target.blue(), f));
}

GlintColours GlintColoursFor(const QPalette& palette) {
    GlintColours c;
    const QColor menu = palette.color(QPalette::Active, QPalette::Window);
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    c.dark = menu.lightness() < text.lightness();
    c.highlight = palette.color(QPalette::Active, QPalette::Highlight);
    c.text = text;
    c.shadow = palette.color(QPalette::Active, QPalette::Dark);
    c.light = palette.color(QPalette::Active, QPalette::Light);
    const QColor grey = palette.color(QPalette::Disabled, QPalette::WindowText);
    if (!c.dark) {
        const QColor face = palette.color(QPalette::Active, QPalette::Button);
        c.background = face == menu ? QColor(255, 251, 247) : menu;
        c.strip = QColor(222, 219, 214);
        c.selection = Lighten(c.highlight, 0.85);
        c.greyText = Lighten(grey, 0.4);
        c.checkedBox = Lighten(c.highlight, 0.85);
        c.checkedBoxSelected = Lighten(c.highlight, 0.55);
    } else {
        // Dark palette: the menu colour itself, a strip a little lighter than it, and the
        // highlight moved towards the background instead of towards white.
        c.background = menu;
        c.strip = QColor(menu.lighter(135).rgb());  // 8 bits a channel, as drawn
        c.selection = MoveTowards(c.highlight, menu, 0.45);
        c.greyText = grey;
        c.checkedBox = MoveTowards(c.highlight, menu, 0.6);
        c.checkedBoxSelected = MoveTowards(c.highlight, menu, 0.3);
    }
    c.greyTextSelected = grey;
    return c;
}

QPalette DarkPalette() {
    QPalette p;
    const QColor window(53, 53, 56);
    const QColor base(36, 36, 38);
    const QColor text(232, 232, 232);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 80, 80));
    p.setColor(QPalette::Link, QColor(110, 170, 255));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, QColor(80, 80, 84));
    p.setColor(QPalette::Midlight, QColor(66, 66, 70));
    p.setColor(QPalette::Mid, QColor(44, 44, 46));
    p.setColor(QPalette::Dark, QColor(25, 25, 27));
    p.setColor(QPalette::Shadow, QColor(10, 10, 10));
    const QColor grey(130, 130, 130);
    p.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    p.setColor(QPalette::Disabled, QPalette::Text, grey);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    return p;
}

const std::vector<int>& GlintMenu::ToolbarCommands() {
    static const std::vector<int> ids = {cmd::kSaveResults, cmd::kMoveCorrupt, cmd::kAnalyze,
                                         cmd::kEditTags,    cmd::kAddTracks,   cmd::kRemoveTracks,
                                         cmd::kPlayTrack,   cmd::kStopPlaying, cmd::kAbout,
                                         cmd::kExit,        cmd::kSettings};
    return ids;
}

void GlintMenu::Remember(QSet<const QWidget*>& set, QWidget* widget) {
    set.insert(widget);
    // Bound to this object: a widget that outlives it reaches no set that is gone.
    connect(widget, &QObject::destroyed, this,
            [&set, widget] { set.remove(static_cast<const QWidget*>(widget)); });
}

void GlintMenu::AttachOwner(QWidget* owner) {
    if (owner != nullptr && !m_Owners.contains(owner)) {
        Remember(m_Owners, owner);
    }
}

void GlintMenu::AttachMenu(QMenu* menu) {
    if (menu != nullptr && !m_Menus.contains(menu)) {
        Remember(m_Menus, menu);
    }
}

bool GlintMenu::IsMenu(const QWidget* widget) const {
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (menu == nullptr) {
        return false;
    }
    if (m_Menus.contains(menu)) {
        return true;
    }
    const QWidget* parent = menu->parentWidget();
    if (parent == nullptr) {
        return false;
    }
    return m_Owners.contains(parent) || IsMenu(parent);
}

bool GlintMenu::IsMenuBar(const QWidget* widget) const {
    return qobject_cast<const QMenuBar*>(widget) != nullptr && m_Owners.contains(widget);
}

void GlintMenu::LoadToolbar(const std::vector<int>& buttons,
                            const std::function<QIcon(int)>& iconFor) {
    for (int id : buttons) {
        const QIcon icon = iconFor ? iconFor(id) : QIcon();
        if (!icon.isNull()) {
            SetPicture(id, icon);
        }
    }
}

void GlintMenu::SetPicture(int id, const QIcon& icon) {
    PictureSet set;
    set.icon = icon;
    m_Pictures.insert(id, set);
}

bool GlintMenu::HasPicture(int id) const {
    return m_Pictures.contains(id);
}

const GlintPictures* GlintMenu::Pictures(int id, const QPalette& palette, qreal dpr) {
    auto it = m_Pictures.find(id);
    if (it == m_Pictures.end()) {
        return nullptr;
    }
    const GlintColours colours = GlintColoursFor(palette);
    const quint64 key = (quint64(colours.shadow.rgba()) << 32) ^ quint64(colours.background.rgb()) ^
                        quint64(dpr * 100);
    if (it->key == key && !it->made.plain.isNull()) {
        return &it->made;
    }
    // The 16 x 16 drawing fitted into the 16 x 15 cell (kept square, centred); its transparent
    // background is the colour that counts as background for the derived pictures.
    QImage plain(qRound(kPictureWidth * dpr), qRound(kPictureHeight * dpr),
                 QImage::Format_ARGB32_Premultiplied);
    plain.fill(Qt::transparent);
    {
        QPainter p(&plain);
        it->icon.paint(&p, plain.rect());
    }
    const QImage straight = plain.convertToFormat(QImage::Format_ARGB32);
    const QColor shadow = Lift(colours, colours.shadow, 0.49);
    GlintPictures made;
    made.plain = ToPixmap(straight, dpr);
    made.faded =
        ToPixmap(Derive(straight, [&](QRgb px) { return Lift(colours, QColor(px), 0.3); }), dpr);
    made.shadow = ToPixmap(Derive(straight, [&](QRgb) { return shadow; }), dpr);
    made.grey = ToPixmap(Derive(straight,
                                [&](QRgb px) {
                                    const double f =
                                        (qRed(px) + qGreen(px) + qBlue(px)) / 3.0 / 255.0;
                                    return Lift(colours, colours.shadow, f);
                                }),
                         dpr);
    it->made = made;
    it->key = key;
    return &it->made;
}

QAction* GlintMenu::MenuCharMatch(const QMenu* menu, const QString& typed) {
    if (menu == nullptr || typed.size() != 1 || !typed.at(0).isPrint()) {
        return nullptr;
    }
    const QString wanted = QLatin1Char('&') + typed.toLower();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        if (action->text().toLower().contains(wanted)) {
            return action;
        }
    }
    return nullptr;
}

CGlintMenuStyle::CGlintMenuStyle(GlintMenu* menus)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_Menus(menus) {}

int CGlintMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (IsMenu(widget)) {
        switch (metric) {
            case PM_MenuPanelWidth: return 1;
            case PM_MenuHMargin: return 0;
            case PM_MenuVMargin: return 1;
            case PM_SmallIconSize: return GlintMenu::kPictureWidth;
            default: break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize CGlintMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                        const QSize& size, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type == CT_MenuItem && item != nullptr && IsMenu(widget)) {
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            return {size.width(), GlintMenu::kSeparatorHeight};
        }
        // Text + picture + padding + gap, and one picture width at the right for the
        // accelerator's end (or a submenu's arrow).
        int width = size.width() + GlintMenu::kPictureWidth + GlintMenu::kPadding +
                    GlintMenu::kTextGap + GlintMenu::kPictureWidth;
        if (item->text.contains(QLatin1Char('\t'))) {
            width += 2 * GlintMenu::kTextGap;  // room between the text and its accelerator
        }
        const int height = std::max(option->fontMetrics.height() + 6,
                                    GlintMenu::kPictureHeight + GlintMenu::kPadding);
        return {width, height};
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void CGlintMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (IsMenu(widget) && (element == PE_PanelMenu || element == PE_FrameMenu)) {
        const GlintColours colours = GlintColoursFor(option->palette);
        if (element == PE_PanelMenu) {
            painter->fillRect(option->rect, colours.background);
            const int frame = pixelMetric(PM_MenuPanelWidth, option, widget);
            painter->fillRect(QRect(option->rect.left() + frame, option->rect.top(),
                                    GlintMenu::kStripWidth, option->rect.height()),
                              colours.strip);
        } else {
            painter->save();
            painter->setPen(colours.dark ? colours.light : colours.shadow);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void CGlintMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    if (element == CE_MenuItem && IsMenu(widget)) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            DrawItem(item, painter, widget);
            return;
        }
    }
    if (element == CE_MenuEmptyArea && IsMenu(widget)) {
        return;  // the panel already holds background and strip
    }
    if ((m_Menus != nullptr && m_Menus->IsMenuBar(widget))) {
        if (element == CE_MenuBarItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                DrawBarItem(item, painter, widget);
                return;
            }
        }
        if (element == CE_MenuBarEmptyArea) {
            painter->fillRect(option->rect, option->palette.window());
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void CGlintMenuStyle::DrawItem(const QStyleOptionMenuItem* item, QPainter* painter,
                               const QWidget* widget) const {
    const GlintColours colours = GlintColoursFor(item->palette);
    const QRect r = item->rect;
    const QRect strip(r.left(), r.top(), GlintMenu::kStripWidth, r.height());
    const QRect textArea(strip.right() + 1, r.top(), r.width() - strip.width(), r.height());
    painter->save();

    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->fillRect(r, colours.background);
        painter->fillRect(strip, colours.strip);
        const int y = r.top() + r.height() / 2;
        const int x0 = textArea.left() + GlintMenu::kTextGap / 2;
        painter->setPen(colours.shadow);
        painter->drawLine(x0, y, r.right(), y);
        painter->setPen(colours.dark ? colours.background.darker(150) : colours.light);
        painter->drawLine(x0, y + 1, r.right(), y + 1);
        painter->restore();
        return;
    }

    const bool enabled = item->state & State_Enabled;
    const bool selected = (item->state & State_Selected) && enabled;
    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;

    if (selected) {
        painter->fillRect(r, colours.selection);
        painter->setPen(colours.highlight);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        painter->fillRect(textArea, colours.background);
        painter->fillRect(strip, colours.strip);
    }

    // The picture's place in the strip.
    const QRect place(strip.left() + (strip.width() - GlintMenu::kPictureWidth) / 2,
                      r.top() + (r.height() - GlintMenu::kPictureHeight) / 2,
                      GlintMenu::kPictureWidth, GlintMenu::kPictureHeight);
    const GlintPictures* pictures = nullptr;
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        // The option does not name its action; find it by the item's place.
        if (QAction* action = menu->actionAt(r.center())) {
            bool ok = false;
            const int command = action->data().toInt(&ok);
            if (ok) {
                const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
                pictures = m_Menus->Pictures(command, item->palette, dpr);
            }
        }
    }

    const QRect box = place.adjusted(-2, -2, 2, 2);
    if (checked) {
        painter->fillRect(box, selected ? colours.checkedBoxSelected : colours.checkedBox);
        painter->setPen(colours.highlight);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (pictures != nullptr) {
            painter->drawPixmap(place.topLeft() - QPoint(1, 1), pictures->plain);
        } else {
            DrawCheckMark(painter, box, enabled ? colours.text : colours.greyTextSelected);
        }
    } else if (pictures != nullptr) {
        if (!enabled) {
            painter->drawPixmap(place.topLeft(), pictures->grey);
        } else if (selected) {
            painter->drawPixmap(place.topLeft() + QPoint(1, 1), pictures->shadow);
            painter->drawPixmap(place.topLeft() - QPoint(1, 1), pictures->plain);
        } else {
            painter->drawPixmap(place.topLeft(), pictures->faded);
        }
    }

    // Text: the part before the tab at the left, the accelerator right-aligned, ending one
    // picture width before the item's right edge.
    QColor textColour = colours.text;
    if (!enabled) {
        textColour = selected ? colours.greyTextSelected : colours.greyText;
    }
    painter->setPen(textColour);
    painter->setFont(item->font);
    const bool underline = proxy()->styleHint(SH_UnderlineShortcut, item, widget);
    const int mnemonic = underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    QString text = item->text;
    QString accelerator;
    const int tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        accelerator = text.mid(tab + 1);
        text = text.left(tab);
    }
    const QRect textRect(
        textArea.left() + GlintMenu::kTextGap, r.top(),
        r.right() - GlintMenu::kPictureWidth - textArea.left() - GlintMenu::kTextGap, r.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | mnemonic,
                      text);
    if (!accelerator.isEmpty()) {
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          accelerator);
    }
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOptionMenuItem arrow = *item;
        arrow.rect = QRect(r.right() - GlintMenu::kPictureWidth, r.top(), GlintMenu::kPictureWidth,
                           r.height());
        arrow.palette.setColor(QPalette::ButtonText, textColour);
        arrow.palette.setColor(QPalette::WindowText, textColour);
        proxy()->drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
}

void CGlintMenuStyle::DrawBarItem(const QStyleOptionMenuItem* item, QPainter* painter,
                                  const QWidget* widget) const {
    // A title of the menu bar: no picture strip; the bar's own colour, and while the pointer is
    // on it or its menu is open the selection colour framed in the highlight, like a selected
    // item of the menus below it.
    const GlintColours colours = GlintColoursFor(item->palette);
    const QRect r = item->rect;
    const bool enabled = item->state & State_Enabled;
    const bool active = enabled && (item->state & (State_Selected | State_Sunken));
    painter->save();
    painter->fillRect(r, item->palette.window());
    if (active) {
        const QRect box = r.adjusted(0, 1, 0, -1);
        painter->fillRect(box, colours.selection);
        painter->setPen(colours.highlight);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
    }
    painter->setPen(!enabled ? colours.greyText
                    : active ? colours.text
                             : item->palette.color(QPalette::WindowText));
    painter->setFont(item->font);
    const bool underline = proxy()->styleHint(SH_UnderlineShortcut, item, widget);
    painter->drawText(r,
                      Qt::AlignCenter | Qt::TextSingleLine |
                          (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic),
                      item->text);
    painter->restore();
}

void CGlintMenuStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (qobject_cast<QMenu*>(widget) != nullptr) {
        widget->installEventFilter(this);
    }
}

void CGlintMenuStyle::unpolish(QWidget* widget) {
    if (qobject_cast<QMenu*>(widget) != nullptr) {
        widget->removeEventFilter(this);
    }
    QProxyStyle::unpolish(widget);
}

bool CGlintMenuStyle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* menu = qobject_cast<QMenu*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (menu != nullptr && IsMenu(menu) &&
            (mods == Qt::NoModifier || mods == Qt::AltModifier)) {
            if (QAction* action = GlintMenu::MenuCharMatch(menu, key->text())) {
                if (action->isEnabled()) {
                    menu->setActiveAction(action);
                    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                    QCoreApplication::sendEvent(menu, &enter);
                }
                return true;
            }
        }
    }
    return QProxyStyle::eventFilter(watched, event);
}

}  // namespace sonvara
