#include "snapshots/PanelSetLayoutHost.h"

#include "panelset/PanelSet.h"

PanelSetLayoutHost::PanelSetLayoutHost(PanelSet *panels)
    : m_panels(panels)
{}

void PanelSetLayoutHost::storeCurrentLayout()
{
    m_panels->storeGeometries();
}

void PanelSetLayoutHost::releaseLayout()
{
    m_panels->releaseLayout();
}

void PanelSetLayoutHost::storedLayoutReplaced()
{
    m_panels->reloadStoredLayout();
}
