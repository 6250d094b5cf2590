#pragma once

#include <QStringList>

class QMimeData;

// The payload of dragged desktop items: their keys as UTF-8, one a line.
namespace ItemMime {

bool hasItems(const QMimeData *mime);
// The keys of the dragged items in order, empty lines skipped.
QStringList itemKeys(const QMimeData *mime);

} // namespace ItemMime
