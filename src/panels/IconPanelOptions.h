#pragma once

// Options every icon panel is built with; a plain value copied into the panel
// set and into each panel.
struct IconPanelOptions
{
    int alpha = 78;      // body opacity in percent, 0-100
    bool opaque = false; // solid bodies, no translucent window background
    int iconSize = 48;   // icon edge in device-independent pixels, 32-96
    bool listView = false;
};
