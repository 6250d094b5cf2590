#pragma once

#include <QStringList>

#include <optional>

// The two lists of GNOME Shell's settings (schema "org.gnome.shell") that say
// which extensions run: "enabled-extensions" and "disabled-extensions", the
// latter winning over the former and over the extensions of the session mode.
namespace GnomeShellSettings {

inline constexpr char enabledKey[] = "enabled-extensions";
inline constexpr char disabledKey[] = "disabled-extensions";

// The schema with both keys is installed (and GIO is there).
bool available();
// The list in effect; empty when it cannot be read.
QStringList value(const char *key);
// The user's own list; nullopt while the key holds its default.
std::optional<QStringList> userValue(const char *key);
// Sets the list, or resets the key to its default for nullopt.
bool write(const char *key, const std::optional<QStringList> &list);

} // namespace GnomeShellSettings
