#include "PanelRoom.h"

#include "panels/IconPanel.h"
#include "panels/TidyLayout.h"
#include "panelset/CompanionWindows.h"

#include <algorithm>

PanelRoom::PanelRoom(PanelList panels, const CompanionWindows *companions)
    : m_panels(std::move(panels))
    , m_companions(companions)
{}

QList<QRect> PanelRoom::peerRects(const QWidget *except) const
{
    QList<QRect> rects;
    for (const IconPanel *p : m_panels()) {
        if (p != except && p->isVisible())
            rects.append(p->frameGeometry());
    }
    return rects + m_companions->visibleRects(except);
}

QList<QRect> PanelRoom::occupiedRects(const QWidget *except) const
{
    QList<QRect> rects;
    for (const IconPanel *p : m_panels())
        rects.append(p->expandedGeometry());
    return rects + m_companions->wantedRects(except);
}

void PanelRoom::fitAfterViewChange(IconPanel *panel) const
{
    const QRect area = TidyLayout::workArea();
    const QSize size = panel->preferredSize(std::max(area.bottom() - panel->y() + 1, 200));
    QRect r(panel->pos(), size);
    r.moveRight(std::min(r.right(), area.right()));
    r.moveBottom(std::min(r.bottom(), area.bottom()));
    r.moveLeft(std::max(r.left(), area.left()));
    r.moveTop(std::max(r.top(), area.top()));
    // Growing must not cover the neighbours: the panel moves to the nearest
    // room that holds it, shrinking towards its minimum if it must.
    const QList<QRect> others = otherPanelRects(panel);
    if (std::any_of(others.cbegin(), others.cend(), [&r](const QRect &o) { return o.intersects(r); })) {
        if (const std::optional<QRect> free =
                TidyLayout::freeRectNear(size, panel->minimumExpandedSize(), area, others, panel->pos()))
            r = *free;
    }
    panel->applyGeometry(r, panel->isUserPlaced());
}

void PanelRoom::placeCompanions(bool all) const
{
    const QRect area = TidyLayout::workArea();
    QList<QRect> taken;
    for (const IconPanel *p : m_panels())
        taken.append(p->expandedGeometry());
    for (QWidget *window : m_companions->wantedWindows()) {
        const QRect current = window->frameGeometry();
        if (all || std::any_of(taken.cbegin(), taken.cend(),
                               [&current](const QRect &r) { return r.intersects(current); }))
            window->setGeometry(TidyLayout::freeSpot(window->size(), window->minimumSize(), area, taken));
        taken.append(window->frameGeometry());
    }
}

QRect PanelRoom::singlePanelPlace()
{
    const QRect available = TidyLayout::primaryAvailable();
    const int w = std::min(available.width() - 64, 560);
    const int h = std::min(available.height() - 64, 680);
    return QRect(available.right() + 1 - 32 - w, available.top() + 32, w, h);
}

QList<QRect> PanelRoom::otherPanelRects(const IconPanel *except) const
{
    QList<QRect> rects;
    for (const IconPanel *p : m_panels()) {
        if (p != except)
            rects.append(p->expandedGeometry());
    }
    return rects + m_companions->wantedRects(nullptr);
}
