#pragma once

// The running desktop's own "show desktop icons" switch: the one its own menu
// or settings flip, so the user's desktop folder is never touched.
class DesktopIconSwitch
{
public:
    virtual ~DesktopIconSwitch() = default;

    // Whether the desktop hides its icons right now (false when no desktop that
    // draws icons can be reached).
    virtual bool iconsHiddenNow() = 0;
    // Flips the switch; false when no desktop could be reached or it refused.
    // Showing puts back exactly the state the last hide replaced.
    virtual bool toggle() = 0;
    // Last resort when toggling fails while icons must come back: write the
    // desktop's "shown" state directly. False when that failed too.
    virtual bool showDirectly() = 0;
    // Whether a desktop whose icons this switch hides runs in this session
    // now. A switch bound to one desktop has nothing else to look for.
    virtual bool found() { return true; }
};
