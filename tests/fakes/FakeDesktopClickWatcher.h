#pragma once

#include "shell/DesktopClickWatcher.h"

// Double-clicks on the bare desktop that a test makes; like the real watch,
// it tells of none while it is not watching.
class FakeDesktopClickWatcher : public DesktopClickWatcher
{
    Q_OBJECT

public:
    using DesktopClickWatcher::DesktopClickWatcher;

    void setWatching(bool on) override { watching = on; }
    void doubleClick()
    {
        if (watching)
            Q_EMIT desktopDoubleClicked();
    }

    bool watching = false;
};
