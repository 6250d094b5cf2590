#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The Xfce settings daemon (xfconf) over the session bus.
class QDBusConnection;

namespace Xfconf {

// The daemon's address on the bus.
extern const QString service;
extern const QString objectPath;
extern const QString interfaceName;

// A property's value asked once; empty when no session bus is configured, no
// xfconfd runs on it (nothing is started) or the property is unset. Settings
// read again and again are followed with XfconfWatch instead.
std::optional<QVariant> property(const QString &channel, const QString &path);
// The same on a given bus, asked whether or not the daemon is known to run.
std::optional<QVariant> property(const QDBusConnection &bus, const QString &channel, const QString &path);

// A plain session-bus check that never spawns a bus of its own.
bool sessionBusConfigured();

// xfconfd runs on the session bus (nothing is started to find out).
bool isRunning();
bool isRunning(const QDBusConnection &bus);

// Writes a property; false when xfconfd is not running or refuses.
bool setProperty(const QString &channel, const QString &path, const QVariant &value);
// Removes a property, so the reader falls back to its own default.
bool resetProperty(const QString &channel, const QString &path);

} // namespace Xfconf
