#include "PanelSet.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "categories/CategoryRules.h"
#include "frame/GuideOverlay.h"
#include "panels/CategoryFilter.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/LooseItems.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelMetrics.h"
#include "panels/TidyLayout.h"
#include "panelset/PanelArrangement.h"
#include "panelset/PanelEdits.h"
#include "shell/DesktopLayer.h"
#include "shell/DesktopModel.h"

#include <QTimer>

PanelSet::PanelSet(const IconPanelOptions &options, DesktopModel *model, bool perCategory, QObject *parent,
                   FolderPanels::ModelFactory folderModels)
    : CompanionHost(parent)
    , m_options(options)
    , m_model(model)
    , m_perCategory(perCategory)
    , m_room([this] { return panelsInOrder(); }, &m_companions)
    , m_arrangements([this] { return panelsInOrder(); }, &m_companions)
{
    m_layoutLocked = Settings::instance()->value(SettingsKeys::panelLayoutLocked).toBool();

    // The loose desktop items, the to-do list and the currency converter join
    // the set here as they arrive.

    m_folders = new FolderPanels(m_model, m_perCategory, this);
    if (folderModels)
        m_folders->setModelFactory(std::move(folderModels));
    m_edits = new PanelEdits(m_model, m_folders, this);
    connect(m_edits, &PanelEdits::panelCreated, this, &PanelSet::syncPanels);
    connect(m_edits, &PanelEdits::panelRenamed, this, [this](const QString &id, const QString &name) {
        if (IconPanel *renamed = m_panels.value(id))
            renamed->setTitle(name);
    });

    connect(m_model, &DesktopModel::reloaded, this, [this] {
        syncPanels();
        Q_EMIT contentsChanged(m_model->rowCount());
    });
    syncPanels();
    if (!m_overlay)
        m_overlay = new GuideOverlay;
    // The panels stand where they stood in this display arrangement.
    m_arrangements.start();
    L10n::onLanguageChanged(this, [this] { retranslate(); });
}

PanelSet::~PanelSet()
{
    // A change the windows did not report (a hidden panel's roll-up) is kept too.
    m_arrangements.flush();
    delete m_loose;
    for (const QPointer<IconPanel> &retired : std::as_const(m_retired))
        delete retired;
    delete m_singlePanel;
    const QList<IconPanel *> panels = m_panels.values();
    m_panels.clear();
    qDeleteAll(panels);
    delete m_overlay;
}

QStringList PanelSet::wantedPanelIds() const
{
    // A kind whose items all live in custom panels or loose on the desktop has
    // nothing to show; its panel would float empty where no arrangement places it.
    bool shown[categoryCount] = {};
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        const int category = index.data(DesktopModel::CategoryRole).toInt();
        if (category >= 0 && category < categoryCount &&
            index.data(DesktopModel::PanelRole).toString() == categoryId(category))
            shown[category] = true;
    }
    QStringList ids;
    for (int category : m_model->presentCategories()) {
        if (shown[category])
            ids.append(categoryId(category));
    }
    for (const PanelLayoutStore::CustomPanel &custom : PanelLayoutStore::customPanels()) {
        if (!ids.contains(custom.id) && (custom.folder.isEmpty() || m_folders->isAvailable()))
            ids.append(custom.id);
    }
    return ids;
}

QList<IconPanel *> PanelSet::panelsInOrder() const
{
    if (!m_perCategory)
        return m_singlePanel ? QList<IconPanel *>{m_singlePanel} : QList<IconPanel *>();
    QList<IconPanel *> result;
    for (int category : allCategories()) {
        if (IconPanel *p = m_panels.value(categoryId(category)))
            result.append(p);
    }
    for (const PanelLayoutStore::CustomPanel &custom : PanelLayoutStore::customPanels()) {
        IconPanel *p = m_panels.value(custom.id);
        if (p && !result.contains(p))
            result.append(p);
    }
    return result;
}

IconPanel *PanelSet::panel(const QString &id) const
{
    return m_perCategory ? m_panels.value(id) : (id.isEmpty() ? m_singlePanel : nullptr);
}

QString PanelSet::panelTitle(const QString &id) const
{
    const QString custom = PanelLayoutStore::panelName(id);
    if (!custom.isEmpty())
        return custom;
    bool ok = false;
    const int category = categoryFromId(id, &ok);
    return ok ? categoryTitle(category) : id;
}

void PanelSet::retranslate()
{
    if (m_singlePanel)
        m_singlePanel->setTitle(L10n::text("Desktop"));
    for (auto it = m_panels.constBegin(); it != m_panels.constEnd(); ++it) {
        if (!PanelLayoutStore::isCustomPanel(it.key()))
            it.value()->setTitle(panelTitle(it.key()));
    }
}

void PanelSet::syncPanels()
{
    if (!m_perCategory) {
        if (!m_singlePanel) {
            m_singlePanel = new IconPanel(m_options, m_model, nullptr, L10n::text("Desktop"),
                                          PanelLayoutStore::settingsPrefix(QString()));
            adopt(m_singlePanel);
            if (!m_singlePanel->geometryRestored())
                m_singlePanel->applyGeometry(PanelRoom::singlePanelPlace(), false);
            if (m_panelsShown)
                m_singlePanel->show();
        }
        arrangePanels(false);
        return;
    }

    const QStringList wanted = wantedPanelIds();
    const QStringList existing = m_panels.keys();
    for (const QString &id : existing) {
        if (!wanted.contains(id))
            retirePanel(m_panels.take(id));
    }
    bool created = false;
    for (const QString &id : wanted) {
        if (!m_panels.contains(id)) {
            makePanel(id);
            created = true;
        }
    }
    arrangePanels(false);
    if (created && m_panelsShown) {
        for (IconPanel *p : panelsInOrder())
            p->show();
        reassertLayer();
    }
}

void PanelSet::releaseLayout()
{
    const QList<IconPanel *> panels = m_panels.values();
    m_panels.clear();
    for (IconPanel *p : panels)
        retirePanel(p);
    if (m_singlePanel)
        retirePanel(std::exchange(m_singlePanel, nullptr));
}

void PanelSet::reloadStoredLayout()
{
    releaseLayout();
    PanelLayoutStore::discardState();
    m_arrangements.forget();
    setLayoutLocked(Settings::instance()->value(SettingsKeys::panelLayoutLocked).toBool());
    if (const int size = Settings::instance()->value(SettingsKeys::panelIconSize).toInt();
        PanelMetrics::isIconSize(size))
        setIconSize(size);
    // The model learns the restored assignments; its reload makes (and shows)
    // the panels they ask for, every one of them new.
    m_model->reload();
    syncPanels();
    m_arrangements.reenter();
}

void PanelSet::retirePanel(IconPanel *panel)
{
    if (m_layer)
        m_layer->untrack(panel);
    // The drag that runs may have started in this panel's view, which is still
    // on the stack below it: the window goes once the drag is over.
    if (m_loose && m_loose->isDragging()) {
        panel->hide();
        m_retired.append(panel);
        return;
    }
    delete panel;
}

void PanelSet::setLooseItems(LooseItems *items)
{
    delete m_loose;
    m_loose = items;
    if (!items)
        return;
    items->setParent(this);
    m_folders->followLooseItems(items);
    connect(items, &LooseItems::selectionActivated, this, [this] { clearOtherSelections(nullptr); });
    connect(items, &LooseItems::dragFinished, this, [this] {
        // Still inside the drag's caller; the views return through it first.
        QTimer::singleShot(0, this, [this] {
            if (m_loose && m_loose->isDragging())
                return;
            const QList<QPointer<IconPanel>> retired = std::exchange(m_retired, {});
            for (const QPointer<IconPanel> &panel : retired)
                delete panel;
        });
    });
    items->setIconSize(m_options.iconSize);
    items->setShown(m_panelsShown);
    for (IconPanel *panel : panelsInOrder())
        panel->view()->setDragHandler(items->dragHandler());
}

void PanelSet::setDesktopLayer(DesktopLayer *layer)
{
    if (m_layer == layer)
        return;
    m_layer = layer;
    if (!m_layer)
        return;
    for (IconPanel *p : panelsInOrder())
        m_layer->track(p, p->settingsPrefix());
    reassertLayer();
}

void PanelSet::reassertLayer()
{
    if (m_layer)
        m_layer->reassert();
}

void PanelSet::makePanel(const QString &id)
{
    IconPanel *panel = m_folders->makePanel(id, m_options, panelTitle(id));
    if (!panel) {
        auto *filter = new CategoryFilter(id);
        filter->setSourceModel(m_model);
        IconPanelOptions options = m_options;
        bool isCategory = false;
        const int category = categoryFromId(id, &isCategory);
        options.listView = isCategory && PanelMetrics::listByDefault(category);
        panel = new IconPanel(options, m_model, filter, panelTitle(id), PanelLayoutStore::settingsPrefix(id));
        filter->setParent(panel);
    }
    adopt(panel);
    m_panels.insert(id, panel);
}

void PanelSet::adopt(IconPanel *panel)
{
    if (!m_overlay)
        m_overlay = new GuideOverlay;
    panel->setGuideOverlay(m_overlay);
    if (m_loose)
        panel->view()->setDragHandler(m_loose->dragHandler());
    QPointer<IconPanel> self(panel);
    panel->setPeerProvider([this, self] { return peerRects(self); });
    panel->setHideToTray(m_hideToTray);
    panel->setSharedActions(m_sharedActions);
    panel->setCompositing(m_composited);
    panel->restorePanelGeometry();
    panel->setLayoutLocked(m_layoutLocked);

    connect(panel, &IconPanel::hiddenToTray, this, &PanelSet::panelHidden);
    m_edits->watch(panel);
    connect(panel, &IconPanel::iconSizeRequested, this, &PanelSet::setIconSize);
    connect(panel, &IconPanel::viewModeChanged, this, [this, self] {
        if (self)
            m_room.fitAfterViewChange(self);
        reassertLayer();
    });
    connect(panel, &IconPanel::arrangeRequested, this, &PanelSet::tidy);
    connect(panel, &IconPanel::layoutLockRequested, this, &PanelSet::setLayoutLocked);
    connect(panel, &IconPanel::quitRequested, this, &PanelSet::quitRequested);
    connect(panel, &IconPanel::searchRequested, this, &PanelSet::searchRequested);
    connect(panel, &IconPanel::sharedActionsRefreshRequested, this, &PanelSet::sharedActionsRefreshRequested);
    connect(panel, &IconPanel::selectionActivated, this, [this, self] { clearOtherSelections(self); });
    if (m_layer)
        m_layer->track(panel, panel->settingsPrefix());
    m_arrangements.watch(panel);
}

void PanelSet::addCompanion(QWidget *window, std::function<bool()> wanted)
{
    m_companions.add(window, std::move(wanted));
    m_arrangements.watch(window);
}

void PanelSet::companionShown()
{
    m_panelsShown = true;
    m_room.placeCompanions(false);
    reassertLayer();
}

void PanelSet::companionHidden()
{
    panelHidden();
}

void PanelSet::clearOtherSelections(IconPanel *except)
{
    if (except && m_loose)
        m_loose->clearSelection();
    for (IconPanel *p : panelsInOrder()) {
        if (p != except)
            p->clearSelection();
    }
}

void PanelSet::arrangePanels(bool force)
{
    const QRect area = TidyLayout::workArea();
    if (!m_perCategory) {
        if (m_singlePanel && (force || m_singlePanel->needsRelayout()))
            m_singlePanel->applyGeometry(
                QRect(m_singlePanel->pos(), m_singlePanel->preferredSize(area.height())),
                m_singlePanel->isUserPlaced());
    } else {
        PanelArrangement::arrangeCategoryPanels(m_panels, m_options.iconSize, force);
        // A tidy places the companions afresh after the panels; otherwise new
        // panels keep clear of them.
        PanelArrangement::arrangeCustomPanels(m_panels, force,
                                              force ? QList<QRect>() : m_companions.wantedRects(nullptr));
    }
    m_room.placeCompanions(force);
}

void PanelSet::tidy()
{
    if (m_layoutLocked)
        return;
    arrangePanels(true);
    reassertLayer();
    Q_EMIT tidied();
}

bool PanelSet::anyPanelVisible() const
{
    // Loose items are desktop icons, not panels: with every panel closed they
    // still show, and the tray then brings the panels back instead of taking
    // the last loose items away.
    const QList<IconPanel *> panels = panelsInOrder();
    return std::any_of(panels.cbegin(), panels.cend(), [](const IconPanel *p) { return p->isVisible(); }) ||
           m_companions.anyVisible();
}

void PanelSet::panelHidden()
{
    if (anyPanelVisible())
        return;
    m_panelsShown = false;
    Q_EMIT allHidden();
    Q_EMIT panelsHidden();
}

void PanelSet::showAll(bool activate)
{
    m_panelsShown = true;
    if (m_loose)
        m_loose->setShown(true);
    const QList<IconPanel *> panels = panelsInOrder();
    // Create every native window before mapping any: each creation waits on the
    // X server, which is otherwise busy with the window manager's work for the
    // panels already mapped.
    for (IconPanel *p : panels)
        p->winId();
    for (IconPanel *p : panels)
        p->show();
    m_room.placeCompanions(false);
    const QList<QWidget *> companions = m_companions.showWanted();
    if (activate && !panels.isEmpty()) {
        for (auto it = panels.crbegin(); it != panels.crend(); ++it)
            (*it)->raise();
        panels.first()->activateWindow();
    } else if (activate && !companions.isEmpty()) {
        companions.first()->raise();
        companions.first()->activateWindow();
    }
    reassertLayer();
}

void PanelSet::showCompanions()
{
    if (!m_panelsShown)
        return;
    m_room.placeCompanions(false);
    m_companions.showWanted();
    reassertLayer();
}

void PanelSet::toggleAll()
{
    if (!anyPanelVisible()) {
        showAll(true);
        return;
    }
    m_panelsShown = false;
    if (m_loose)
        m_loose->setShown(false);
    for (IconPanel *p : panelsInOrder()) {
        p->storePanelGeometry();
        p->hide();
    }
    m_companions.hideAll();
    reassertLayer();
    Q_EMIT panelsHidden();
}

void PanelSet::setHideToTray(bool hide)
{
    m_hideToTray = hide;
    for (IconPanel *p : panelsInOrder())
        p->setHideToTray(hide);
}

void PanelSet::setIconSize(int px)
{
    if (px == m_options.iconSize)
        return;
    m_options.iconSize = px;
    Settings::instance()->setValue(SettingsKeys::panelIconSize, px);
    if (m_loose)
        m_loose->setIconSize(px);
    for (IconPanel *p : panelsInOrder()) {
        p->setIconSize(px);
        p->setNeedsRelayout(true);
    }
    m_model->setIconSize(px);
    m_folders->setIconSize(px);
    arrangePanels(false);
}

void PanelSet::setLayoutLocked(bool locked)
{
    if (locked == m_layoutLocked)
        return;
    m_layoutLocked = locked;
    Settings::instance()->setValue(SettingsKeys::panelLayoutLocked, locked);
    for (IconPanel *p : panelsInOrder()) {
        p->setLayoutLocked(locked);
        if (locked)
            p->storePanelGeometry();
    }
    Q_EMIT layoutLockChanged(locked);
}

bool PanelSet::openItem(const QModelIndex &sourceIndex)
{
    DesktopModel *model = m_folders->modelOf(sourceIndex);
    return model && model->openItem(m_folders->itemIndex(sourceIndex));
}

int PanelSet::itemCount() const
{
    return m_model->rowCount();
}

void PanelSet::setSharedActions(const QList<QAction *> &actions)
{
    m_sharedActions = actions;
    for (IconPanel *panel : panelsInOrder())
        panel->setSharedActions(actions);
}

void PanelSet::setCompositing(bool composited)
{
    m_composited = composited;
    for (IconPanel *panel : panelsInOrder())
        panel->setCompositing(composited);
}
