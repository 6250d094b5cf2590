#pragma once

#include "panels/IconPanelOptions.h"
#include "panels/PanelLayoutStore.h"
#include "panelset/FolderPanels.h"
#include "shell/PlatformLook.h"

#include <QObject>

#include <functional>
#include <memory>

class AutostartControl;
class AutostartEntry;
class CompositorWatch;
class CurrencyFeature;
class DesktopClickWatcher;
class DesktopIconSwitch;
class DesktopLayer;
class DesktopModel;
class DesktopSource;
class IconSource;
class LayoutHost;
class LayoutKeeper;
class SnapshotMenu;
class ItemActions;
class StartupHold;
class PanelSet;
class QuickHide;
class QuickSearch;
class ShellDesktop;
class TodoController;
class TrayHost;
class WindowStacking;
class QWidget;
struct SearchTrigger;

// The whole program on one desktop: the panels, the feature windows, the tray
// and the wiring between them, on whichever platform backend it is given.
class Organiser : public QObject
{
    Q_OBJECT

public:
    // What the platform provides; the organiser owns all of it.
    struct Backend
    {
        Backend();
        ~Backend();
        Backend(Backend &&) noexcept;
        Backend &operator=(Backend &&) noexcept;

        std::unique_ptr<DesktopSource> source;
        std::unique_ptr<IconSource> icons;
        std::unique_ptr<ItemActions> actions;
        std::unique_ptr<DesktopIconSwitch> iconSwitch;
        std::unique_ptr<AutostartEntry> autostartEntry;
        WindowStacking *stacking = nullptr;
        CompositorWatch *compositor = nullptr;
        // Double-clicks on the bare desktop; none where the platform has no such watch.
        DesktopClickWatcher *desktopClicks = nullptr;
        // The platform's words and window icon, for the windows that show them.
        PlatformLook look;
        // Whether the session offers a tray; empty asks the system.
        std::function<bool()> trayAvailable;
        // A model over another folder, for folder panels; none shows none.
        FolderPanels::ModelFactory folderModels;
        // Moves and copies files dropped between folders; none drops nothing.
        FolderPanels::TransferFactory transfers;
    };

    // What the user chose on the command line.
    struct Choices
    {
        IconPanelOptions options;
        bool keepIcons = false;
        bool topmost = false;
        bool perCategory = true;
        bool tray = true;
    };

    Organiser(Backend backend, const Choices &choices, QObject *parent = nullptr);
    ~Organiser() override;

    // The program was started again: it shows itself.
    void showProgram();

    DesktopModel *model() const { return m_model.get(); }
    PanelSet *panels() const { return m_panels.get(); }
    TodoController *todo() const { return m_todo.get(); }
    CurrencyFeature *currency() const { return m_currency.get(); }
    // Null while no search was asked for.
    QuickSearch *search() const { return m_search.get(); }
    // Null when the tray was declined.
    TrayHost *tray() const { return m_tray.get(); }
    LayoutKeeper *layoutKeeper() const { return m_keeper.get(); }

Q_SIGNALS:
    // The user (or a lost tray) asked the program to end.
    void quitRequested();

private:
    void startSearch(QWidget *source, const SearchTrigger &trigger);
    void sayLayersMissing();
    // The windows of the start are on screen: what waited for them runs.
    void finishStart();
    // A notice in the tray, or on standard error without one.
    void notify(const QString &title, const QString &text);

    // Held from the first window made until the windows are on screen.
    std::unique_ptr<StartupHold> m_startHold;
    std::unique_ptr<PanelLayoutStore::SaveBatch> m_startLayoutSave;
    std::unique_ptr<ShellDesktop> m_shell;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<AutostartEntry> m_autostartEntry;
    std::unique_ptr<AutostartControl> m_autostart;
    std::unique_ptr<DesktopLayer> m_layer;
    std::unique_ptr<PanelSet> m_panels;
    std::unique_ptr<CurrencyFeature> m_currency;
    std::unique_ptr<TodoController> m_todo;
    std::unique_ptr<LayoutHost> m_layoutHost;
    std::unique_ptr<LayoutKeeper> m_keeper;
    std::unique_ptr<SnapshotMenu> m_snapshotMenu;
    std::unique_ptr<TrayHost> m_tray;
    std::unique_ptr<QuickSearch> m_search;
    std::unique_ptr<QuickHide> m_quickHide;
    CompositorWatch *m_compositor = nullptr;
};
