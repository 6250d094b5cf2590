#include "PanelScrollStyle.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace {

constexpr int barWidth = 10;
constexpr int handleMinimum = 32;
constexpr qreal handleRadius = 5;
constexpr QColor handleColor{255, 255, 255, 60};
constexpr QColor handleHotColor{255, 255, 255, 110};
constexpr char handleProperty[] = "panelScrollHandleShown";

} // namespace

PanelScrollStyle::PanelScrollStyle() = default;

void PanelScrollStyle::apply(QScrollBar *bar)
{
    bar->setProperty(handleProperty, false);
    bar->setAttribute(Qt::WA_Hover);
    bar->setStyle(sharedStyle<PanelScrollStyle>());
}

void PanelScrollStyle::setHandleShown(QScrollBar *bar, bool shown)
{
    if (isHandleShown(bar) == shown)
        return;
    bar->setProperty(handleProperty, shown);
    bar->update();
}

bool PanelScrollStyle::isHandleShown(const QWidget *bar)
{
    return bar->property(handleProperty).toBool();
}

int PanelScrollStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_ScrollBarExtent:
        return barWidth;
    case PM_ScrollBarSliderMin:
        return handleMinimum;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QRect PanelScrollStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                       SubControl subControl, const QWidget *widget) const
{
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    // No arrow buttons: the handle runs the whole length of the bar.
    const QRect area = bar->rect;
    const bool vertical = bar->orientation == Qt::Vertical;
    const int length = vertical ? area.height() : area.width();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    const qint64 page = std::max(bar->pageStep, 0);
    int handle = range > 0 ? int(page * length / (range + page)) : length;
    handle = std::clamp(handle, std::min(handleMinimum, length), std::max(length, 0));
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                              std::max(length - handle, 0), bar->upsideDown);
    const auto span = [&](int from, int size) {
        const QRect r = vertical ? QRect(area.x(), area.y() + from, area.width(), size)
                                 : QRect(area.x() + from, area.y(), size, area.height());
        return visualRect(bar->direction, area, r);
    };
    switch (subControl) {
    case SC_ScrollBarGroove:
        return area;
    case SC_ScrollBarSlider:
        return span(start, handle);
    case SC_ScrollBarSubPage:
        return span(0, start);
    case SC_ScrollBarAddPage:
        return span(start + handle, length - start - handle);
    default:
        return {};
    }
}

void PanelScrollStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                          QPainter *painter, const QWidget *widget) const
{
    if (control != CC_ScrollBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    if (!widget || !isHandleShown(widget))
        return;
    const bool hot = (option->activeSubControls & SC_ScrollBarSlider) &&
                     (option->state & (State_MouseOver | State_Sunken));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(hot ? handleHotColor : handleColor);
    painter->drawRoundedRect(QRectF(subControlRect(control, option, SC_ScrollBarSlider, widget)),
                             handleRadius, handleRadius);
    painter->restore();
}
