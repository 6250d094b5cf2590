#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The parts of a freedesktop launcher (a ".desktop" file) the program uses.
struct LauncherFile
{
    // True when the file is a launcher: a [Desktop Entry] group with a Type and a Name.
    bool valid = false;
    QString type;
    QString name; // localized
    QString icon;
    QString url;

    // Reads a launcher; localeName is like "de_DE" or "pt_BR@latin".
    // Files over a size limit, other than regular files or without the group
    // give an invalid result. The path is given as bytes, as the folder lists it.
    static LauncherFile read(const QByteArray &path, const QString &localeName);
    static LauncherFile parse(const QByteArray &data, const QString &localeName);
};
