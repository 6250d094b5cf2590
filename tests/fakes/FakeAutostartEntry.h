#pragma once

#include "shell/AutostartEntry.h"

// A sign-in entry a test switches and breaks at will; no earlier version's entry waits.
class FakeAutostartEntry final : public AutostartEntry
{
public:
    bool enabled = false;
    bool writable = true; // false: every change fails and nothing changes

    bool isEnabled() override { return enabled; }
    bool setEnabled(bool on) override
    {
        if (!writable)
            return enabled == on;
        enabled = on;
        return true;
    }
    bool migrateLegacyEntry() override { return false; }
    bool exists() override { return enabled; }
};
