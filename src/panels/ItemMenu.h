#pragma once

#include <QPersistentModelIndex>

class DesktopModel;
class QMenu;
class QObject;

// The entries every menu of a single desktop item offers, wherever the item is
// shown: "Open", "Open file location" (items with a path) and "Properties".
// Each acts only if the item still exists when it is chosen.
namespace ItemMenu {

void addEntries(QMenu *menu, DesktopModel *model, const QPersistentModelIndex &item, QObject *context);

} // namespace ItemMenu
