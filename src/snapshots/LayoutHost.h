#pragma once

// What saving and restoring a layout needs of the running panels; the panel
// set provides it (PanelSetLayoutHost), tests a stand-in.
class LayoutHost
{
public:
    virtual ~LayoutHost() = default;

    // The settings are to hold every panel where it is on screen now.
    virtual void storeCurrentLayout() = 0;
    // The layout file and panel settings are about to be replaced: nothing may
    // write the layout as it is on screen from now on.
    virtual void releaseLayout() = 0;
    // The layout file and panel settings were replaced (or kept, when that
    // failed): the panels follow them now.
    virtual void storedLayoutReplaced() = 0;
};
