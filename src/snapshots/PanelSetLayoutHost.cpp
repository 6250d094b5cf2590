#include "snapshots/PanelSetLayoutHost.h"

#include "panels/IconPanel.h"
#include "panelset/PanelSet.h"

PanelSetLayoutHost::PanelSetLayoutHost(PanelSet *panels)
    : m_panels(panels)
{}

void PanelSetLayoutHost::storeCurrentLayout()
{
    for (IconPanel *panel : m_panels->panelsInOrder())
        panel->storePanelGeometry();
}

void PanelSetLayoutHost::releaseLayout()
{
    m_panels->releaseLayout();
}

void PanelSetLayoutHost::storedLayoutReplaced()
{
    m_panels->reloadStoredLayout();
}
