#include "panelset/PanelArrangement.h"

#include "categories/CategoryRules.h"
#include "panels/IconPanel.h"
#include "panels/PanelLayoutStore.h"
#include "panels/TidyLayout.h"

#include <optional>

namespace PanelArrangement {

void arrangeCategoryPanels(const QHash<QString, IconPanel *> &panels, int iconSize, bool force)
{
    const QRect area = TidyLayout::workArea();
    QList<TidyLayout::TidyEntry> entries;
    for (int category : allCategories()) {
        IconPanel *p = panels.value(categoryId(category));
        if (!p)
            continue;
        std::optional<bool> mode;
        if (p->viewMode() != IconPanel::Automatic)
            mode = p->viewMode() == IconPanel::List;
        entries.append({category, p->itemCount(), mode});
    }
    const QList<TidyLayout::LayoutRecord> layout = TidyLayout::computeTidyLayout(entries, area, iconSize);
    QHash<int, QRect> userRects;
    for (const TidyLayout::LayoutRecord &record : layout) {
        IconPanel *p = panels.value(categoryId(record.category));
        p->setListView(record.list);
        if (!force && p->isUserPlaced()) {
            userRects.insert(record.category, p->needsRelayout() ? QRect(p->pos(), record.rect.size())
                                                                 : p->expandedGeometry());
        }
    }
    for (const TidyLayout::LayoutRecord &record : TidyLayout::mergeUserPlaced(layout, userRects))
        panels.value(categoryId(record.category))->applyGeometry(record.rect, record.userPlaced);
}

void arrangeCustomPanels(const QHash<QString, IconPanel *> &panels, bool force, const QList<QRect> &obstacles)
{
    const QRect area = TidyLayout::workArea();
    QList<QRect> occupied = obstacles;
    for (int category : allCategories()) {
        if (const IconPanel *p = panels.value(categoryId(category)))
            occupied.append(p->expandedGeometry());
    }
    QList<IconPanel *> placing;
    QList<TidyLayout::SizeRequest> requests;
    for (const PanelLayoutStore::CustomPanel &custom : PanelLayoutStore::customPanels()) {
        IconPanel *p = panels.value(custom.id);
        if (!p || placing.contains(p))
            continue;
        // A panel where the user (or an earlier arrangement) put it stays, and
        // the others keep clear of it.
        if (!force && p->geometryRestored() && !p->needsRelayout()) {
            occupied.append(p->expandedGeometry());
            continue;
        }
        placing.append(p);
        requests.append({p->preferredSize(area.height()), p->minimumExpandedSize()});
    }
    const QList<QRect> rects = TidyLayout::layoutCustomPanels(requests, area, occupied);
    for (qsizetype i = 0; i < placing.size() && i < rects.size(); ++i)
        placing.at(i)->applyGeometry(rects.at(i), force ? false : placing.at(i)->isUserPlaced());
}

} // namespace PanelArrangement
