#pragma once

#include "panels/IconPanelOptions.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class DesktopModel;
class QAction;
class GuideOverlay;
class IconPanel;

// Owns every panel window and keeps them in step with the desktop model: one
// icon panel per category with items and per custom panel (or one for all),
// placed tidily, with the requests of each panel carried out for the whole set.
class PanelSet : public QObject
{
    Q_OBJECT

public:
    PanelSet(const IconPanelOptions &options, DesktopModel *model, bool perCategory,
             QObject *parent = nullptr);
    ~PanelSet() override;

    void showAll(bool activate);
    void toggleAll();
    bool anyPanelVisible() const;
    void setHideToTray(bool hide);
    void setIconSize(int px);
    void setLayoutLocked(bool locked);
    bool isLayoutLocked() const { return m_layoutLocked; }
    // Commands every panel menu offers; see IconPanel::setSharedActions.
    void setSharedActions(const QList<QAction *> &actions);
    // Whether a compositing manager runs; see IconPanel::setCompositing.
    void setCompositing(bool composited);
    int itemCount() const;

    // "Tidy panels": re-arranges everything unless the layout is locked.
    void tidy();
    void syncPanels();
    void arrangePanels(bool force);

    // The icon panels: categories in canonical order, then custom panels in
    // creation order (single mode: the one panel).
    QList<IconPanel *> panelsInOrder() const;
    IconPanel *panel(const QString &id) const;
    GuideOverlay *guideOverlay() const { return m_overlay; }

    QString panelTitle(const QString &id) const;

    // A feature's window (the to-do list, the currency converter) that lives
    // among the panels: they snap to it while it shows, "hide all" hides it and
    // it counts as a shown panel window. Its feature shows it (see allShown)
    // and reports when it shows or hides it.
    void addCompanion(QWidget *window);
    void companionShown();
    void companionHidden();
    // Every visible window of the set but one, for snapping.
    QList<QRect> visibleWindowRects(const QWidget *except) const;

Q_SIGNALS:
    void contentsChanged(int total);
    void allHidden();
    void layoutLockChanged(bool locked);
    // The set was shown; companions whose feature wants them shown follow.
    void allShown();
    // A panel asked to end the program ("Quit", or closing one without a tray).
    void quitRequested();

private:
    void makePanel(const QString &id);
    void adopt(IconPanel *panel);
    void retranslate();
    void arrangeCustomPanels(bool force);
    void resizeAfterViewChange(IconPanel *panel);
    void clearOtherSelections(IconPanel *except);
    void panelHidden();
    QStringList wantedPanelIds() const;
    QList<QRect> peerRects(const IconPanel *except) const;
    // Every other panel's room, rolled-up ones at their full height.
    QList<QRect> otherPanelRects(const IconPanel *except) const;

    IconPanelOptions m_options;
    DesktopModel *m_model;
    bool m_perCategory;
    bool m_hideToTray = false;
    bool m_panelsShown = false;
    bool m_layoutLocked = false;
    GuideOverlay *m_overlay = nullptr;
    QList<QAction *> m_sharedActions;
    bool m_composited = true;
    QHash<QString, IconPanel *> m_panels;
    QList<QPointer<QWidget>> m_companions;
    IconPanel *m_singlePanel = nullptr;
};
