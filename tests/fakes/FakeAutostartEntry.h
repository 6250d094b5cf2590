#pragma once

#include "shell/AutostartEntry.h"

// A sign-in entry a test switches and breaks at will.
class FakeAutostartEntry final : public AutostartEntry
{
public:
    bool enabled = false;
    bool present = false; // an entry exists (ours or the user's)
    bool writable = true; // false: every change fails and nothing changes
    bool legacy = false;  // an earlier version's entry waits to be migrated
    int changes = 0;

    bool isEnabled() override { return enabled; }
    bool setEnabled(bool on) override
    {
        ++changes;
        if (!writable)
            return enabled == on;
        enabled = on;
        present = on;
        return true;
    }
    bool migrateLegacyEntry() override
    {
        if (!legacy)
            return false;
        legacy = false;
        return setEnabled(true);
    }
    bool exists() override { return present; }
};
