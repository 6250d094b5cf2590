#pragma once

#include <QByteArray>
#include <QString>

// What the platform does with a desktop item when the user opens it or asks for
// one of its commands. Items are named by their pidl (see DesktopEntry). Nothing
// waits for the started program, and failures are the platform's to report.
class ItemActions
{
public:
    virtual ~ItemActions() = default;

    // Opens the item as the desktop would: a document in its default
    // application, a folder in the file manager, a launcher by running it.
    // False when nothing could be started.
    virtual bool open(const QByteArray &pidl) = 0;

    // Runs a named command on the item; "properties" shows its properties.
    // False for a command the platform does not offer.
    virtual bool invokeVerb(const QByteArray &pidl, const QString &verb) = 0;
};
