#pragma once

#include <QString>

// The current user's Run key, the list of programs Windows starts at sign-in,
// as named string values: behind this seam so that the start-at-sign-in rules
// can be tried without a registry.
class RunKey
{
public:
    virtual ~RunKey() = default;

    // Empty when there is no such value.
    virtual QString value(const QString &name) = 0;
    virtual void setValue(const QString &name, const QString &command) = 0;
    virtual void remove(const QString &name) = 0;
    // Writes what was changed; false when the registry refused it.
    virtual bool sync() = 0;

    // Somewhere outside the Run key, where a value the program is about to
    // replace is kept so the user can find it again.
    virtual void keepAside(const QString &name, const QString &command) = 0;
};
