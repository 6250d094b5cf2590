#pragma once

#include "TestEnvironment.h"
#include "base/Settings.h"
#include "shell/freedesktop/GnomeShellSettings.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

// GNOME Shell's extensions interface as the shell answers it: its settings'
// lists say which extensions run (the disabled list winning over the enabled
// one and the session mode's), and its calls move an extension between them.
class FakeGnomeShell : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.Extensions")

public:
    QStringList installed;
    QStringList modeExtensions; // enabled by the session mode, as Ubuntu's session does
    QStringList calls;
    QByteArray keptAtChange; // the program's settings on disk at the last call that changes a list

    bool isEnabled(const QString &uuid) const
    {
        using namespace GnomeShellSettings;
        return (modeExtensions.contains(uuid) || value(enabledKey).contains(uuid)) &&
               !value(disabledKey).contains(uuid);
    }

public Q_SLOTS:
    QVariantMap GetExtensionInfo(const QString &uuid)
    {
        if (!installed.contains(uuid))
            return {};
        // GJS sends numbers as doubles; 1 is "enabled", 2 "disabled".
        return {{"uuid", uuid}, {"state", isEnabled(uuid) ? 1.0 : 2.0}};
    }
    bool DisableExtension(const QString &uuid)
    {
        return move(QStringLiteral("DisableExtension"), uuid, GnomeShellSettings::enabledKey,
                    GnomeShellSettings::disabledKey);
    }
    bool EnableExtension(const QString &uuid)
    {
        return move(QStringLiteral("EnableExtension"), uuid, GnomeShellSettings::disabledKey,
                    GnomeShellSettings::enabledKey);
    }

private:
    bool move(const QString &call, const QString &uuid, const char *from, const char *to)
    {
        calls.append(call + ' ' + uuid);
        keptAtChange = TestEnvironment::readFile(Settings::filePath());
        if (!installed.contains(uuid))
            return false;
        QStringList source = GnomeShellSettings::value(from);
        if (source.removeAll(uuid) > 0)
            GnomeShellSettings::write(from, source);
        QStringList target = GnomeShellSettings::value(to);
        if (!target.contains(uuid))
            GnomeShellSettings::write(to, target << uuid);
        return true;
    }
};
