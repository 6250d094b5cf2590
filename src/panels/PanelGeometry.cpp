#include "PanelGeometry.h"

#include "frame/PanelStyle.h"
#include "frame/ScreenFit.h"
#include "panels/PanelMetrics.h"
#include "panels/PanelSettings.h"

#include <QWidget>

namespace {

int collapsedHeight(bool list)
{
    return PanelStyle::metrics(list).collapsedHeight;
}

int minimumExpandedHeight(bool list)
{
    return PanelMetrics::minimumSize(list).height();
}

} // namespace

PanelGeometry::PanelGeometry(QWidget *window, PanelSettings *settings)
    : m_window(window)
    , m_settings(settings)
    , m_expandedHeight(settings->expandedHeight())
    , m_collapsed(settings->isCollapsed())
{}

bool PanelGeometry::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return false;
    if (collapsed) {
        m_expandedHeight = m_window->height();
        m_settings->setExpandedHeight(m_expandedHeight);
    }
    m_collapsed = collapsed;
    m_settings->setCollapsed(collapsed);
    return true;
}

int PanelGeometry::expandedHeight(bool list) const
{
    if (!m_collapsed)
        return m_window->height();
    return std::max(m_expandedHeight, minimumExpandedHeight(list));
}

void PanelGeometry::applyRollUpHeight(bool list)
{
    m_window->resize(m_window->width(), m_collapsed ? collapsedHeight(list)
                                                    : std::max(m_window->minimumHeight(), m_expandedHeight));
}

void PanelGeometry::applyHeightLimits(bool list)
{
    if (m_collapsed) {
        m_window->setFixedHeight(collapsedHeight(list));
        return;
    }
    m_window->setMinimumHeight(minimumExpandedHeight(list));
    m_window->setMaximumHeight(QWIDGETSIZE_MAX);
}

void PanelGeometry::placeAt(const QRect &rect, bool list)
{
    QRect target = rect;
    if (m_collapsed) {
        // The full height is the user's and survives every re-arrangement and
        // restart (a rolled-up panel is stored at its title height); a rectangle
        // only supplies one the panel never had.
        if (m_expandedHeight < minimumExpandedHeight(list) && rect.height() > collapsedHeight(list))
            m_expandedHeight = rect.height();
        target.setHeight(collapsedHeight(list));
    }
    m_window->setGeometry(target);
    m_restored = true;
}

void PanelGeometry::place(const QRect &rect, bool list, bool userPlaced)
{
    placeAt(rect, list);
    m_needsRelayout = false;
    m_userPlaced = userPlaced;
}

bool PanelGeometry::restore(bool list, int iconSize)
{
    const std::optional<PanelSettings::Placement> stored = m_settings->placement(iconSize, layoutVersion);
    if (!stored)
        return false;
    // Screens change between runs: a panel that no longer fits is pulled inside.
    placeAt(ScreenFit::fitInside(stored->rect, ScreenFit::availableAreas(), m_window->minimumSize()), list);
    m_needsRelayout = stored->stale;
    m_userPlaced = stored->userPlaced;
    return true;
}

void PanelGeometry::store(bool list, int iconSize)
{
    if (!m_restored)
        return;
    m_settings->setPlacement(m_window->geometry(), m_userPlaced, iconSize, layoutVersion);
    m_settings->setExpandedHeight(expandedHeight(list));
}

void PanelGeometry::setMoved()
{
    m_restored = true;
    m_userPlaced = true;
}
