#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

class IconPanel;

// Where the icon panels go: the category panels in the tidy columns (keeping
// the ones the user placed unless `force`), then the custom panels in the room
// left over. `panels` maps panel ids to their windows.
namespace PanelArrangement {

void arrangeCategoryPanels(const QHash<QString, IconPanel *> &panels, int iconSize, bool force);
// `obstacles`: other windows the new places keep clear of.
void arrangeCustomPanels(const QHash<QString, IconPanel *> &panels, bool force,
                         const QList<QRect> &obstacles);

} // namespace PanelArrangement
