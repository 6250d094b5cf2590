#pragma once

#include "shell/ItemActions.h"

#include <QDBusConnection>

#include <memory>
#include <optional>

class QObject;

// Opens items through GIO: documents and folders in the default application of
// their type (the user's mimeapps.list), trusted launchers by running them, the
// Home, Computer and Trash items at their locations. "properties" asks the file
// manager over D-Bus (org.freedesktop.FileManager1).
class FreedesktopItemActions : public ItemActions
{
public:
    // Uses the session bus, when one is configured, for "properties".
    FreedesktopItemActions();
    explicit FreedesktopItemActions(const QDBusConnection &bus);
    ~FreedesktopItemActions() override;

    bool open(const QByteArray &pidl) override;
    bool invokeVerb(const QByteArray &pidl, const QString &verb, const Refused &refused) override;

    // The URI that names the item for other programs; empty when there is none.
    static QString itemUri(const QByteArray &pidl);

private:
    bool showProperties(const QByteArray &pidl, const Refused &refused);

    std::optional<QDBusConnection> m_bus;
    // Parent of the calls still waiting for an answer: they end with this object.
    std::unique_ptr<QObject> m_pending;
};
