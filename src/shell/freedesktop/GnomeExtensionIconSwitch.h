#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QDBusConnection>
#include <QString>

// GNOME Shell's desktop icons, drawn by an extension (Desktop Icons NG, or the
// older Desktop Icons): hidden by disabling that extension, and only when it
// is enabled in this session. The shell's own D-Bus call disables it at once,
// but it moves the extension between the shell's two settings lists, and its
// counterpart would append it to the end of the enabled list and leave it there
// even when it came from the session mode or the lists' defaults. So hiding
// keeps both lists as they were (in the program's settings, so that a run
// killed meanwhile still lets the next one give them back), and showing puts
// the extension back exactly where it was in them, leaving whatever else the
// user changed meanwhile; the shell follows its settings and enables it again.
class GnomeExtensionIconSwitch final : public DesktopIconSwitch
{
public:
    explicit GnomeExtensionIconSwitch(const QDBusConnection &bus = QDBusConnection::sessionBus());

    // GNOME Shell answers on the bus and knows one of the extensions.
    bool isReachable() const;

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    // The first of the extensions the shell knows; empty when none.
    QString installed() const;
    // Its state as the shell reports it; 0 when it cannot be asked.
    int state(const QString &uuid) const;
    bool call(const QString &method, const QString &uuid) const;
    // Puts the lists kept by the last hide back; the shell's own enabling when
    // none were kept. False when neither got through.
    bool giveBack(const QString &uuid);

    QDBusConnection m_bus;
};
