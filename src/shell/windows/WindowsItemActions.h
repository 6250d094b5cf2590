#pragma once

#include "shell/ItemActions.h"

// Opens items and runs their verbs through ShellExecuteEx on their ID lists,
// so virtual items (This PC, Recycle Bin) work as files do.
class WindowsItemActions : public ItemActions
{
public:
    bool open(const QByteArray &pidl) override;
    bool invokeVerb(const QByteArray &pidl, const QString &verb, const Refused &refused) override;
    // The shell's own context menu, handlers and submenus included.
    bool showMenu(QWidget *owner, const QList<QByteArray> &pidls) override;
};
