#pragma once

#include "shell/windows/RunKey.h"

#include <QHash>

// The Run key as a table, and a registry that can refuse every change.
class FakeRunKey final : public RunKey
{
public:
    QHash<QString, QString> values;
    QHash<QString, QString> keptAside;
    bool refuses = false;

    QString value(const QString &name) override { return values.value(name); }
    void setValue(const QString &name, const QString &command) override
    {
        if (!refuses)
            values.insert(name, command);
    }
    void remove(const QString &name) override
    {
        if (!refuses)
            values.remove(name);
    }
    bool sync() override { return !refuses; }
    void keepAside(const QString &name, const QString &command) override { keptAside.insert(name, command); }
};
