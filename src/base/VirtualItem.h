#pragma once

#include <QByteArrayView>
#include <QLatin1String>
#include <QString>
#include <QStringView>

// The desktop's virtual items (Home, Computer, Trash) have no file: their
// parsing name, and so their handle, is "::{CLSID}". Whether an item is one is
// decided here, for the model, the categories and the platform alike.
namespace VirtualItem {

inline constexpr char prefix[] = "::{";

inline bool isVirtual(QStringView parsingName)
{
    return parsingName.startsWith(QLatin1String(prefix));
}

inline bool isVirtual(QByteArrayView handle)
{
    return handle.startsWith(prefix);
}

// The upper-cased "{CLSID}" by which the desktop's switches name a virtual item.
inline QString clsid(QStringView parsingName)
{
    return parsingName.mid(2).toString().toUpper();
}

} // namespace VirtualItem
