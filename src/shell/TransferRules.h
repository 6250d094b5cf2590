#pragma once

#include "shell/FileTransfer.h"

#include <QString>
#include <Qt>

#include <functional>

// How a drop of files between folders is carried out, as file managers do it.
namespace TransferRules {

// Ctrl copies, Shift moves, neither lets the file systems decide.
FileTransfer::Mode modeFor(Qt::KeyboardModifiers modifiers);

// Move or Copy: Automatic moves within one file system and copies across.
FileTransfer::Mode effectiveMode(FileTransfer::Mode mode, bool sameFileSystem);

// What becomes of one source (absolute, clean path) before anything is touched.
enum class Outcome
{
    Transfer,     // carried out
    AlreadyThere, // a move into the folder it is in: nothing to do, and a success
    IntoItself    // a folder into itself or one of its own subfolders: a failure
};
Outcome outcomeFor(const QString &source, const QString &targetFolder, FileTransfer::Mode mode);

// The name a file or folder called name takes where isTaken says which names
// are in use: name itself when free, else the file manager's form "photo (2).jpg",
// "photo (3).jpg"..., counting on from a number the name already carries
// ("x (2).txt" -> "x (3).txt"). A folder's dots are part of its name; a compound
// archive suffix (".tar.gz") stays whole; a leading dot (".bashrc") is no suffix.
QString freeName(const QString &name, bool isFolder, const std::function<bool(const QString &)> &isTaken);

// Progress comes this often at most: a folder of many small files would
// otherwise flood the GUI thread with reports.
inline constexpr qint64 reportIntervalMs = 100;
// Names another program takes in the folder while a file is being placed are
// stepped over this many times before the transfer gives up on that file.
inline constexpr int placeAttempts = 100;

// Why a source was left where it was, as the notice lists it: "name: why".
QString failure(const QString &name, const QString &why);
// The reason given for a folder dropped into itself, in the user's language.
QString intoItselfReason();

} // namespace TransferRules
