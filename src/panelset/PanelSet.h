#pragma once

#include "frame/CompanionHost.h"
#include "panels/IconPanelOptions.h"
#include "panels/LooseItems.h"
#include "panels/SearchTrigger.h"
#include "panelset/ArrangementKeeper.h"
#include "panelset/CompanionWindows.h"
#include "panelset/FolderPanels.h"
#include "panelset/PanelRoom.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class DesktopLayer;

class DesktopModel;
class QAction;
class QModelIndex;
class QWidget;
class GuideOverlay;
class IconPanel;
class PanelEdits;

// Owns every panel window and keeps them in step with the desktop model: one
// icon panel per category with items and per custom panel (or one for all),
// placed tidily, with the requests of each panel carried out for the whole set.
class PanelSet : public CompanionHost
{
    Q_OBJECT

public:
    // folderModels, when given, makes the folder panels an earlier run stored
    // with the others, before the panels take their places.
    PanelSet(const IconPanelOptions &options, DesktopModel *model, bool perCategory,
             QObject *parent = nullptr, FolderPanels::ModelFactory folderModels = {});
    ~PanelSet() override;

    void showAll(bool activate);
    // While the panels are shown, shows the feature windows that joined since
    // and belong on screen.
    void showCompanions();
    void toggleAll();
    // Whether an icon panel or a companion is on screen (loose items do not count).
    bool anyPanelVisible() const;
    void setHideToTray(bool hide);
    void setIconSize(int px);
    void setLayoutLocked(bool locked);
    bool isLayoutLocked() const override { return m_layoutLocked; }
    // Commands every panel menu offers; see IconPanel::setSharedActions.
    void setSharedActions(const QList<QAction *> &actions);
    int iconSize() const { return m_options.iconSize; }
    // Whether a compositing manager runs; see IconPanel::setCompositing.
    void setCompositing(bool composited);
    // Keeps every icon panel, present and future, on the desktop layer under
    // its settings prefix; the layer is not owned and must outlive the set.
    void setDesktopLayer(DesktopLayer *layer);
    int itemCount() const;
    // The items loose on the desktop; the set takes ownership. Every item drag
    // of the panels runs through its drag procedure from then on.
    void setLooseItems(LooseItems *items);
    LooseItems *looseItems() const { return m_loose; }

    // The feature windows among the panels; see CompanionHost.
    void addCompanion(QWidget *window, std::function<bool()> wanted) override;
    void companionShown() override;
    void companionHidden() override;
    QList<QRect> peerRects(const QWidget *except) const override { return m_room.peerRects(except); }
    QList<QRect> occupiedRects(const QWidget *except) const override { return m_room.occupiedRects(except); }

    // "Tidy panels": re-arranges everything unless the layout is locked.
    void tidy();
    void syncPanels();
    // Before the layout file and the panel settings are replaced under the
    // running program: the panels go, storing their places as they do, so none
    // writes over what replaces them. Call it from the event loop, never from
    // inside a panel's own handler.
    void releaseLayout();
    // Every panel is made afresh from the stored layout, where and as it says.
    void reloadStoredLayout();
    void arrangePanels(bool force);

    // The icon panels: categories in canonical order, then custom panels in
    // creation order (single mode: the one panel).
    QList<IconPanel *> panelsInOrder() const;
    IconPanel *panel(const QString &id) const;
    QString panelTitle(const QString &id) const;
    GuideOverlay *guideOverlay() const override { return m_overlay; }

    // Opens an item as a panel does (a search result, say): one of the desktop
    // model, a folder panel's model or the search model over them all.
    bool openItem(const QModelIndex &sourceIndex);

    FolderPanels *folderPanels() const { return m_folders; }

Q_SIGNALS:
    void contentsChanged(int total);
    void allHidden();
    // Every panel and companion went off screen, by whatever means (the tray
    // too): windows that only make sense beside them, like an open quick search, go too.
    void panelsHidden();
    // A panel asked to end the program ("Quit", or closing one without a tray).
    void quitRequested();
    // Typing in a panel asks for the quick search; see IconPanel::searchRequested.
    void searchRequested(QWidget *source, const SearchTrigger &trigger);
    // A panel menu is about to show the shared actions: their owner re-reads their state.
    void sharedActionsRefreshRequested();

private:
    void makePanel(const QString &id);
    void adopt(IconPanel *panel);
    void retranslate();
    void clearOtherSelections(IconPanel *except);
    void panelHidden();
    void retirePanel(IconPanel *panel);
    // After windows were shown, hidden, arranged or created.
    void reassertLayer();
    QStringList wantedPanelIds() const;

    IconPanelOptions m_options;
    DesktopModel *m_model;
    bool m_perCategory;
    bool m_hideToTray = false;
    bool m_panelsShown = false;
    bool m_layoutLocked = false;
    GuideOverlay *m_overlay = nullptr;
    PanelEdits *m_edits = nullptr;
    FolderPanels *m_folders = nullptr;
    QList<QAction *> m_sharedActions;
    DesktopLayer *m_layer = nullptr;
    bool m_composited = true;
    QHash<QString, IconPanel *> m_panels;
    IconPanel *m_singlePanel = nullptr;
    QPointer<LooseItems> m_loose;
    // Panels no longer wanted while an item drag that may have started in them runs.
    QList<QPointer<IconPanel>> m_retired;
    CompanionWindows m_companions;
    PanelRoom m_room;
    ArrangementKeeper m_arrangements;
};
