#include "panels/ItemPlacement.h"

#include "categories/CategoryRules.h"
#include "panels/PanelLayoutStore.h"

void ItemPlacement::prepare()
{
    loadCategoryRules();
}

int ItemPlacement::category(bool isFolder, const QString &parsingName) const
{
    return categorize(isFolder, parsingName);
}

QString ItemPlacement::panelId(const QString &key, int category) const
{
    if (!m_folderPanel.isEmpty())
        return m_folderPanel;
    const QString stored = PanelLayoutStore::panelIdFor(key);
    return stored.isEmpty() ? categoryId(category) : stored;
}
