#pragma once

#include <QDeadlineTimer>

#include <functional>

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
    // toggle() for a caller that must not be held up (a desktop that restarts
    // to take the change takes seconds): done is told the outcome, at once or
    // later from the event loop. A switch destroyed first never tells it.
    using Done = std::function<void(bool toggled)>;
    virtual void toggleLater(Done done) { done(toggle()); }
    // Brings a toggleLater under way to its end before deadline, blocking, done
    // told as usual: for the program's end, when no event loop runs any more.
    virtual void finish(QDeadlineTimer deadline) { Q_UNUSED(deadline) }
    // Last resort when toggling fails while icons must come back: write the
    // desktop's "shown" state directly. False when that failed too.
    virtual bool showDirectly() = 0;
    // Whether a desktop whose icons this switch hides runs in this session
    // now. A switch bound to one desktop has nothing else to look for.
    virtual bool found() { return true; }
};
