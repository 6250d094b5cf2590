#include "PanelMenu.h"

#include "base/l10n/L10n.h"
#include "categories/CategoryRules.h"
#include "frame/PanelFrame.h"
#include "look/AppStyle.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/ItemMenu.h"
#include "panels/PanelMetrics.h"
#include "panels/PanelSettings.h"
#include "panels/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QAction>
#include <QActionGroup>
#include <QItemSelectionModel>
#include <QMenu>

namespace {

QMenu *addSubmenu(QMenu *menu, const char *text)
{
    QMenu *submenu = menu->addMenu(L10n::text(text));
    submenu->setStyleSheet(AppStyle::menuStyleSheet());
    return submenu;
}

// One exclusive, checkable entry of a submenu.
QAction *addChoice(QMenu *submenu, QActionGroup *group, const QString &text, bool checked)
{
    QAction *action = submenu->addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    group->addAction(action);
    return action;
}

} // namespace

std::unique_ptr<QMenu> PanelMenu::create(IconPanel *panel, QPoint viewportPosition)
{
    auto menu = std::make_unique<QMenu>(panel);
    menu->setStyleSheet(AppStyle::menuStyleSheet());
    QMenu *m = menu.get();

    if (QAction *onTop = panel->findChild<QAction *>(QLatin1String(PanelFrame::alwaysOnTopActionName))) {
        m->addAction(onTop);
        m->addSeparator();
    }
    addItemEntries(m, panel, viewportPosition);

    QObject::connect(m->addAction(L10n::text("New panel")), &QAction::triggered, panel,
                     [panel] { Q_EMIT panel->createPanelRequested(QString()); });
    m->addActions(panel->newPanelActions());
    if (panel->isCustomPanel()) {
        QObject::connect(m->addAction(L10n::text("Rename this panel")), &QAction::triggered, panel,
                         &IconPanel::beginRename);
        QObject::connect(m->addAction(L10n::text("Remove this panel")), &QAction::triggered, panel,
                         [panel] { Q_EMIT panel->removePanelRequested(panel->panelId()); });
    }

    m->addSeparator();
    QObject::connect(m->addAction(L10n::text("Edit categories...")), &QAction::triggered, panel,
                     [panel] { panel->model()->openPath(categoriesFilePath()); });
    QObject::connect(m->addAction(L10n::text("Refresh")), &QAction::triggered, panel, &IconPanel::refresh);
    QAction *lock = m->addAction(L10n::text("Lock layout"));
    lock->setCheckable(true);
    lock->setChecked(panel->isLayoutLocked());
    QObject::connect(lock, &QAction::toggled, panel, &IconPanel::layoutLockRequested);
    QAction *tidy = m->addAction(L10n::text("Tidy panels"));
    tidy->setEnabled(!panel->isLayoutLocked());
    QObject::connect(tidy, &QAction::triggered, panel, &IconPanel::arrangeRequested);
    QAction *collapse = m->addAction(L10n::text("Collapse"));
    collapse->setCheckable(true);
    collapse->setChecked(panel->isCollapsed());
    QObject::connect(collapse, &QAction::toggled, panel, &IconPanel::setCollapsed);

    addSortMenu(m, panel);
    addViewMenu(m, panel);
    addIconSizeMenu(m, panel);

    // The to-do list and start at sign-in get their entries here once they
    // exist; an entry that does nothing is not offered.
    if (const QList<QAction *> shared = panel->sharedActions(); !shared.isEmpty()) {
        m->addSeparator();
        m->addActions(shared);
    }
    m->addSeparator();
    QObject::connect(m->addAction(L10n::text("Quit")), &QAction::triggered, panel, &IconPanel::quitRequested);
    return menu;
}

bool PanelMenu::showPlatformMenu(IconPanel *panel, QPoint viewportPosition)
{
    const QModelIndex clicked = panel->view()->indexAt(viewportPosition);
    if (!clicked.isValid())
        return false;
    const QItemSelectionModel *selection = panel->view()->selectionModel();
    QModelIndexList items;
    if (selection && selection->isSelected(clicked)) {
        const QModelIndexList selected = selection->selectedIndexes();
        for (const QModelIndex &index : selected)
            items.append(panel->sourceIndex(index));
    } else {
        items.append(panel->sourceIndex(clicked));
    }
    return panel->model()->showItemMenu(panel, items);
}

void PanelMenu::addItemEntries(QMenu *menu, IconPanel *panel, QPoint viewportPosition)
{
    const QModelIndex clicked = panel->view()->indexAt(viewportPosition);
    if (!clicked.isValid())
        return;
    // A persistent index: the model may reload while the menu is open.
    ItemMenu::addEntries(menu, panel->model(), QPersistentModelIndex(panel->sourceIndex(clicked)), panel);
    menu->addSeparator();
}

void PanelMenu::addSortMenu(QMenu *menu, IconPanel *panel)
{
    QMenu *sortMenu = addSubmenu(menu, QT_TRANSLATE_NOOP("Brimvale", "Sort by"));
    auto *group = new QActionGroup(sortMenu);
    const PanelSort::SortMode current = panel->sortProxy()->sortMode();
    for (PanelSort::SortMode mode :
         {PanelSort::Manual, PanelSort::Desktop, PanelSort::Name, PanelSort::Type}) {
        QAction *action = addChoice(sortMenu, group, PanelSort::sortModeTitle(mode), mode == current);
        QObject::connect(action, &QAction::triggered, panel, [panel, mode] {
            PanelSettings(panel->settingsPrefix()).setSortMode(mode);
            panel->applyStoredSort();
        });
    }
    sortMenu->addSeparator();
    QAction *reversed = sortMenu->addAction(L10n::text("Reversed"));
    reversed->setCheckable(true);
    reversed->setChecked(panel->sortProxy()->isReversed());
    QObject::connect(reversed, &QAction::toggled, panel, [panel](bool on) {
        PanelSettings(panel->settingsPrefix()).setSortReversed(on);
        panel->applyStoredSort();
    });
}

void PanelMenu::addViewMenu(QMenu *menu, IconPanel *panel)
{
    QMenu *showAs = addSubmenu(menu, QT_TRANSLATE_NOOP("Brimvale", "Show as"));
    auto *group = new QActionGroup(showAs);
    const struct
    {
        const char *text;
        IconPanel::ViewMode mode;
    } modes[] = {{QT_TRANSLATE_NOOP("Brimvale", "Grid"), IconPanel::Grid},
                 {QT_TRANSLATE_NOOP("Brimvale", "List"), IconPanel::List},
                 {QT_TRANSLATE_NOOP("Brimvale", "Automatic"), IconPanel::Automatic}};
    for (const auto &entry : modes) {
        QAction *action = addChoice(showAs, group, L10n::text(entry.text), entry.mode == panel->viewMode());
        const IconPanel::ViewMode mode = entry.mode;
        QObject::connect(action, &QAction::triggered, panel, [panel, mode] { panel->setViewMode(mode); });
    }
}

void PanelMenu::addIconSizeMenu(QMenu *menu, IconPanel *panel)
{
    QMenu *sizes = addSubmenu(menu, QT_TRANSLATE_NOOP("Brimvale", "Icon size"));
    auto *group = new QActionGroup(sizes);
    for (const PanelMetrics::IconSizeChoice &entry : PanelMetrics::iconSizeChoices) {
        QAction *action = addChoice(sizes, group, L10n::text(entry.name), entry.pixels == panel->iconSize());
        const int pixels = entry.pixels;
        QObject::connect(action, &QAction::triggered, panel,
                         [panel, pixels] { Q_EMIT panel->iconSizeRequested(pixels); });
    }
}
