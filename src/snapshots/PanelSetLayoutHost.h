#pragma once

#include "snapshots/LayoutHost.h"

class PanelSet;

// The running panel set as the layout keeper sees it.
class PanelSetLayoutHost : public LayoutHost
{
public:
    explicit PanelSetLayoutHost(PanelSet *panels);

    void storeCurrentLayout() override;
    void releaseLayout() override;
    void storedLayoutReplaced() override;

private:
    PanelSet *m_panels;
};
