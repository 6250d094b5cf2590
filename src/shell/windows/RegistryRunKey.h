#pragma once

#include "RunKey.h"

#include <memory>

class QSettings;

// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run, opened anew
// for every read, so a change made meanwhile outside the program is seen.
class RegistryRunKey final : public RunKey
{
public:
    RegistryRunKey();
    ~RegistryRunKey() override;

    QString value(const QString &name) override;
    void setValue(const QString &name, const QString &command) override;
    void remove(const QString &name) override;
    bool sync() override;
    void keepAside(const QString &name, const QString &command) override;

private:
    std::unique_ptr<QSettings> m_key;
};
