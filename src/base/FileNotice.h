#pragma once

#include <QString>

// What the program did about a file it could not use as it was: said once on
// standard error, naming the file, so a user who wonders where a setting or a
// list went can find it. Repeats of the same notice in one run are dropped.
namespace FileNotice {

// A copy of path was kept as copy before the program writes its own file; why
// says what was wrong with path ("could not be fully read").
void copyKept(const QString &path, const QString &copy, const QString &why);

// path is not used at all; why says why and what the program does instead.
void ignored(const QString &path, const QString &why);

} // namespace FileNotice
