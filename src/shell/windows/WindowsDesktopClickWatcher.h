#pragma once

#include "shell/DesktopClickWatcher.h"

// Explorer's desktop takes its own clicks and tells no other program of them;
// a hook into its process is more than a double-click is worth, so none is
// ever told.
class WindowsDesktopClickWatcher : public DesktopClickWatcher
{
    Q_OBJECT

public:
    using DesktopClickWatcher::DesktopClickWatcher;

    void setWatching(bool watching) override { Q_UNUSED(watching) }
};
