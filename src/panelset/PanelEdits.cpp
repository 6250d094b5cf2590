#include "PanelEdits.h"

#include "panels/IconPanel.h"
#include "panels/PanelLayoutStore.h"
#include "panelset/FolderPanels.h"
#include "shell/DesktopModel.h"

#include <QTimer>

PanelEdits::PanelEdits(DesktopModel *model, FolderPanels *folders, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_folders(folders)
{
    connect(m_folders, &FolderPanels::panelCreated, this, &PanelEdits::panelCreated);
}

void PanelEdits::watch(IconPanel *panel)
{
    // Every panel carries the entry; it shows once folder panels can be made.
    panel->setNewPanelActions({m_folders->newPanelAction()});
    // The desktop's own items are assigned; a folder panel's are its folder's already.
    connect(panel, &IconPanel::itemsDropped, this,
            [this, panel](const QStringList &keys, const QString &groupId, Qt::KeyboardModifiers modifiers) {
                if (!m_folders->carryDrop(panel, keys, groupId, modifiers) && panel->model() == m_model)
                    assignItems(keys, groupId);
            });
    connect(panel, &IconPanel::createPanelRequested, this, &PanelEdits::createPanel);
    connect(panel, &IconPanel::renamePanelRequested, this, &PanelEdits::renamePanel);
    connect(panel, &IconPanel::removePanelRequested, this, &PanelEdits::removePanel);
}

void PanelEdits::assignItems(const QStringList &keys, const QString &groupId)
{
    if (keys.isEmpty())
        return;
    PanelLayoutStore::assignItems(keys, groupId);
    // The drop is still being delivered to the panel; reload once it is done.
    QTimer::singleShot(0, m_model, &DesktopModel::reload);
}

void PanelEdits::createPanel(const QString &name)
{
    PanelLayoutStore::createPanel(name);
    Q_EMIT panelCreated();
}

void PanelEdits::renamePanel(const QString &id, const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || !PanelLayoutStore::isCustomPanel(id))
        return;
    PanelLayoutStore::renamePanel(id, trimmed);
    Q_EMIT panelRenamed(id, trimmed);
}

void PanelEdits::removePanel(const QString &id)
{
    if (!PanelLayoutStore::isCustomPanel(id))
        return;
    PanelLayoutStore::removePanel(id);
    // The panel asking is still on the stack; its window goes with the reload.
    QTimer::singleShot(0, m_model, &DesktopModel::reload);
}
