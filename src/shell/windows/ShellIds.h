#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <shlobj.h>

// What every Windows class of the item side shares: COM held for a scope, shell
// item ID lists owned as smart pointers, and the handles that name items.
namespace ShellIds {

// COM on the calling thread for the object's life, apartment-threaded with
// OLE1 DDE off; nests with an apartment that is already there, of either kind.
class ComScope
{
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    bool m_initialized = false;
};

struct PidlFree
{
    void operator()(ITEMIDLIST *pidl) const { CoTaskMemFree(pidl); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

// A byte copy of an ID list, its terminator included.
QByteArray bytesOf(PCIDLIST_ABSOLUTE pidl);

// The absolute ID list that a handle names: a byte copy of an ID list, or the
// UTF-8 bytes of a path (a path never holds the two zero bytes that end every
// ID list). Null when the handle is neither or the path names nothing.
Pidl fromHandle(const QByteArray &handle);

// The ID list of a path, or null.
Pidl fromPath(const QString &path);

// The text of a shell name, freeing what the shell allocated for it.
QString takeText(STRRET *name, PCUITEMID_CHILD child);

// The user's desktop folder, in the shell's form with backslashes; empty when unknown.
QString knownFolder(REFKNOWNFOLDERID id);

} // namespace ShellIds
