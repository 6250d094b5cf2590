#pragma once

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

class QPainter;

// The look of a floating panel window: its chrome metrics, the style sheet of
// its title editor, and the painting of its body, title band and item plates.
// Every panel window (icon, to-do, currency) draws through here.
class PanelStyle
{
public:
    struct Metrics
    {
        int band;      // title band height; the window is dragged by it
        int glyphX;    // left edge of the title glyph
        int button;    // hover button edge
        int buttonGap; // between hover buttons
        int buttonMargin;
        int buttonIcon;
        int viewX;      // content inset from the left and right
        int viewY;      // content top
        int viewBottom; // content inset from the bottom
        int radius;     // body corner radius
        int collapsedHeight;
    };

    // What the chrome of one window shows.
    struct Chrome
    {
        QSize size;
        bool list = false;
        bool rightToLeft = false;
        int alphaPercent = 78;
        bool opaque = false;
        int category = 0; // glyph in the title band
        QString title;
        bool titleShown = true; // false while the title is being edited
        int count = 0;          // the badge after the title
        // Hover buttons standing at the right of the title band; the title may
        // use their room while they are hidden.
        int buttonCount = 0;
        bool buttonsShown = false;
    };

    static const Metrics &metrics(bool list);
    // Left edge (left-to-right coordinates) of the first of `count` hover buttons.
    static int buttonsLeft(const Metrics &m, int width, int count);
    static int titleX(const Metrics &m) { return m.glyphX + 24; }

    static QFont titleFont(const QFont &base);
    // The title as drawn: elided to the room left by the badge and any shown buttons.
    static QString shownTitle(const Chrome &chrome, const QFont &base);
    static void paint(QPainter *painter, const Chrome &chrome, const QFont &base);

    static QColor bodyColor(int alphaPercent, bool opaque);
    // The body's rounded outline as a window shape, for panels painted solid.
    static QRegion bodyShape(QSize size, bool list);
    // A rounded rectangle filling `size` as a window shape.
    static QRegion roundedShape(QSize size, int radius);
    static QString editorStyleSheet();

    // The items of a panel's view: each stands on a rounded plate within its
    // cell, shown while hovered or selected.
    struct ItemBox
    {
        QMargins margin;  // cell edge to plate
        QMargins padding; // plate's inner edge to icon and text
        int radius;
    };
    static const ItemBox &itemBox(bool list);
    static constexpr int itemFontPixels = 12;
    static constexpr QColor dropMarkerColor{0x91, 0xab, 0xc9};
    // A short notice where a panel's items would be (a folder that is gone).
    static constexpr QColor noticeColor{0x8f, 0x99, 0xa9};
    // Paints the plate of an item in the given state and returns the room left
    // inside it for the icon and text.
    static QRect paintItemPlate(QPainter *painter, const QRect &cell, bool list, bool selected, bool hovered);

private:
    static int badgeWidth(const Chrome &chrome, const QFont &base);
    static int titleRoom(const Chrome &chrome, const QFont &base);
};
