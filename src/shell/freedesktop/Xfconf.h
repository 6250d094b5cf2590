#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The Xfce settings daemon (xfconf) over the session bus.
namespace Xfconf {

// A property's value asked once; empty when no session bus is configured, no
// xfconfd runs on it (nothing is started) or the property is unset. Settings
// read again and again are followed with XfconfWatch instead.
std::optional<QVariant> property(const QString &channel, const QString &path);

// A plain session-bus check that never spawns a bus of its own.
bool sessionBusConfigured();

} // namespace Xfconf
