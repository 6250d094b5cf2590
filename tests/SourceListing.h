#pragma once

#include "shell/DesktopSource.h"

// The entry of a listing with that parsing name; none: null.
inline const DesktopEntry *find(const QList<DesktopEntry> &entries, const QString &parsingName)
{
    for (const DesktopEntry &entry : entries) {
        if (entry.parsingName == parsingName)
            return &entry;
    }
    return nullptr;
}
