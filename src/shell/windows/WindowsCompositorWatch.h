#pragma once

#include "shell/CompositorWatch.h"

// Since Windows 8 the desktop window manager always composes: translucent
// windows never show black.
class WindowsCompositorWatch : public CompositorWatch
{
    Q_OBJECT

public:
    using CompositorWatch::CompositorWatch;

    bool isActive() const override { return true; }
};
