#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The Xfce settings daemon (xfconf) over the session bus.
namespace Xfconf {

// Whether a session bus exists and xfconfd is running on it. Nothing is started:
// without a running Xfce desktop its settings mean nothing to us.
bool isRunning();

std::optional<QVariant> property(const QString &channel, const QString &path);

// A plain session-bus check that never spawns a bus of its own.
bool sessionBusConfigured();

} // namespace Xfconf

namespace Xfconf {

// Writes a property; false when xfconfd is not running or refuses.
bool setProperty(const QString &channel, const QString &path, const QVariant &value);
// Removes a property, so the reader falls back to its own default.
bool resetProperty(const QString &channel, const QString &path);

} // namespace Xfconf
