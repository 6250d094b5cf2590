#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

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

    // Called when a command that another program carries out is refused by it
    // or never answered.
    using Refused = std::function<void()>;

    // Runs a named command on the item; "properties" shows its properties.
    // False at once for a command the platform does not offer or cannot ask
    // for. Nothing waits for the program that carries it out: its refusal, when
    // it comes, is reported to `refused` (when given).
    virtual bool invokeVerb(const QByteArray &pidl, const QString &verb, const Refused &refused) = 0;

    // Shows the platform's own menu for the items at the mouse cursor, owned by
    // owner's window, and carries out the command chosen. True when the menu
    // was shown, whether or not a command was chosen; false where the platform
    // has no such menu or cannot make one for these items, and the caller then
    // shows its own.
    virtual bool showMenu(QWidget *owner, const QList<QByteArray> &pidls)
    {
        Q_UNUSED(owner)
        Q_UNUSED(pidls)
        return false;
    }
};
