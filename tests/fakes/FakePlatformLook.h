#pragma once

#include "shell/PlatformLook.h"

// The platform's words as the tray's windows are handed them: catalogue texts,
// so that they are translated as the real backend's are.
inline PlatformLook fakePlatformLook()
{
    PlatformLook look;
    look.words = {
        "Start at sign-in",      "Larkspan starts at sign-in",
        "Could not change this", "The session would not let this program change startup at sign-in.",
        "System language",       "Larkspan needs an X11 or XWayland display, and none could be opened."};
    return look;
}
