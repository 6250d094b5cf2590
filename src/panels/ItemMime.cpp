#include "ItemMime.h"

#include "shell/DesktopModel.h"

#include <QMimeData>

namespace ItemMime {

bool hasItems(const QMimeData *mime)
{
    return mime && mime->hasFormat(DesktopModel::itemMimeType());
}

QStringList itemKeys(const QMimeData *mime)
{
    if (!hasItems(mime))
        return {};
    return QString::fromUtf8(mime->data(DesktopModel::itemMimeType()))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace ItemMime
