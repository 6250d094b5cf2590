#pragma once

#include <QString>

// Who the program is, in the two names it goes by. People read "Larkspan":
// the window class, the tray item, the accessibility tree and untitled
// windows take it from the application name. The files it keeps still live
// under the name of its first releases, so every stored path is pinned here
// rather than left to Qt, which would derive it from the application name.
namespace AppIdentity {

// The name a person reads.
inline constexpr char16_t displayName[] = u"Larkspan";
// The name the stored files and the version line ("brim-vale 1.1.0") go by.
inline constexpr char16_t storedName[] = u"brim-vale";

// Sets the application's name and version; call before any window or tray
// item is made.
void apply();

// "<configuration folder>/brim-vale/brim-vale.conf": the settings.
QString settingsFile();
// "<configuration folder>/brim-vale/brim-vale": the layout, the categories, the to-do list.
QString dataFolder();
// A file of that folder, by name.
QString dataFile(const QString &name);
// The files of that folder backups copy: the panel layout and the to-do list.
QString layoutFile();
QString todoFile();

} // namespace AppIdentity
