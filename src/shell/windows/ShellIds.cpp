#include "ShellIds.h"

#include <QDir>
#include <QFile>

#include <shlwapi.h>

namespace ShellIds {

ComScope::ComScope()
{
    // S_FALSE nests in the thread's apartment; RPC_E_CHANGED_MODE means another
    // kind is there already, which serves the shell as well and is not ours to end.
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    m_initialized = SUCCEEDED(result);
}

ComScope::~ComScope()
{
    if (m_initialized)
        CoUninitialize();
}

QByteArray bytesOf(PCIDLIST_ABSOLUTE pidl)
{
    if (!pidl)
        return {};
    return QByteArray(reinterpret_cast<const char *>(pidl), qsizetype(ILGetSize(pidl)));
}

namespace {

// Whether bytes hold one whole ID list: its items' sizes lead exactly to the
// two zero bytes at its end.
bool isIdList(const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at + 2 <= bytes.size()) {
        const auto size = qsizetype(quint8(bytes.at(at))) | (qsizetype(quint8(bytes.at(at + 1))) << 8);
        if (size == 0)
            return at + 2 == bytes.size();
        if (size < 2)
            return false;
        at += size;
    }
    return false;
}

} // namespace

Pidl fromHandle(const QByteArray &handle)
{
    if (handle.isEmpty())
        return nullptr;
    if (isIdList(handle)) {
        auto *copy = static_cast<ITEMIDLIST *>(CoTaskMemAlloc(size_t(handle.size())));
        if (!copy)
            return nullptr;
        memcpy(copy, handle.constData(), size_t(handle.size()));
        return Pidl(copy);
    }
    if (handle.contains('\0'))
        return nullptr;
    // In the form the program's own paths are made into bytes.
    return fromPath(QFile::decodeName(handle));
}

Pidl fromPath(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const QString native = QDir::toNativeSeparators(path);
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(reinterpret_cast<const wchar_t *>(native.utf16()), nullptr, &pidl, 0,
                                  nullptr)))
        return nullptr;
    return Pidl(pidl);
}

QString takeText(STRRET *name, PCUITEMID_CHILD child)
{
    // StrRetToStrW frees the shell's own string whichever form the name took.
    wchar_t *text = nullptr;
    if (FAILED(StrRetToStrW(name, child, &text)) || !text)
        return {};
    const QString result = QString::fromWCharArray(text);
    CoTaskMemFree(text);
    return result;
}

QString knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t *path = nullptr;
    QString result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return result;
}

} // namespace ShellIds
