#pragma once

#include "frame/SharedStyle.h"

#include <QProxyStyle>

class QScrollBar;

// The thin scroll bar of the panel windows: no arrows, a rounded handle that
// is drawn only while the panel is hovered and can scroll. Painted here rather
// than by a style sheet, which would cost every panel a style sheet engine of
// its own at start.
class PanelScrollStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Gives the bar this look; its handle starts hidden.
    static void apply(QScrollBar *bar);
    // Repaints the bar only when the answer changes.
    static void setHandleShown(QScrollBar *bar, bool shown);

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

private:
    PanelScrollStyle();
    friend PanelScrollStyle *sharedStyle<PanelScrollStyle>();
    static bool isHandleShown(const QWidget *bar);
};
