#include "app/Organiser.h"

#include "app/StartupWindows.h"
#include "base/StartupHold.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyFeature.h"
#include "look/AccessibleWindows.h"
#include "panels/ItemPlacement.h"
#include "panelset/PanelSet.h"
#include "panelset/QuickHide.h"
#include "search/QuickSearch.h"
#include "shell/AutostartEntry.h"
#include "shell/CompositorWatch.h"
#include "shell/DesktopClickWatcher.h"
#include "shell/DesktopIconSwitch.h"
#include "shell/DesktopLayer.h"
#include "shell/DesktopModel.h"
#include "shell/DesktopSource.h"
#include "shell/IconSource.h"
#include "shell/ItemActions.h"
#include "shell/ShellDesktop.h"
#include "shortcuts/DesktopShortcuts.h"
#include "snapshots/LayoutKeeper.h"
#include "snapshots/PanelSetLayoutHost.h"
#include "snapshots/SnapshotMenu.h"
#include "todo/TodoController.h"
#include "tray/AutostartControl.h"
#include "tray/TrayHost.h"
#include "tray/TrayIcon.h"

#include <QAction>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace {
// A window manager may keep a window off the screen for good (on another
// workspace); the start goes on without it after this long.
constexpr std::chrono::seconds startWindowsLimit{2};
} // namespace

Organiser::Backend::Backend() = default;
Organiser::Backend::~Backend() = default;
Organiser::Backend::Backend(Backend &&) noexcept = default;
Organiser::Backend &Organiser::Backend::operator=(Backend &&) noexcept = default;

Organiser::Organiser(Backend backend, const Choices &choices, QObject *parent)
    : QObject(parent)
{
    // Before the first window exists: assistive technology asks about each once.
    AccessibleWindows::install();

    // A start waits for its windows, not for the disk or the icons: the first
    // start's files, the layout's first write, the icons and the day's rate
    // wait until the windows are on screen.
    m_startHold = std::make_unique<StartupHold>();
    m_startLayoutSave = std::make_unique<PanelLayoutStore::SaveBatch>();

    // The desktop's own icons are hidden while we run and given back on every
    // orderly way out: quit (also after a signal), and the session's end.
    m_shell = std::make_unique<ShellDesktop>(std::move(backend.iconSwitch));
    connect(qApp, &QCoreApplication::aboutToQuit, m_shell.get(), &ShellDesktop::restoreIcons);
    connect(qApp, &QGuiApplication::commitDataRequest, m_shell.get(), &ShellDesktop::restoreIcons);
    if (!choices.keepIcons)
        m_shell->hideIcons();

    m_model = std::make_unique<DesktopModel>(std::move(backend.source), std::move(backend.icons),
                                             std::move(backend.actions), std::make_unique<ItemPlacement>());
    m_layer = std::make_unique<DesktopLayer>(backend.stacking, choices.topmost);
    m_model->setIconSize(choices.options.iconSize);
    // The virtual items' names (Home, Computer, Trash) follow the language.
    L10n::onLanguageChanged(m_model.get(), [model = m_model.get()] { model->queueReload(); });

    // Folder panels show other folders; files dropped between folders are moved or copied.
    m_panels = std::make_unique<PanelSet>(choices.options, m_model.get(), choices.perCategory, nullptr,
                                          std::move(backend.folderModels));
    FolderPanels *folders = m_panels->folderPanels();
    folders->setTransferFactory(std::move(backend.transfers));
    connect(folders, &FolderPanels::noticeRequested, this, &Organiser::notify);
    // Panels belong to the desktop: just above it, or pinned above everything.
    m_panels->setDesktopLayer(m_layer.get());

    // Without a compositing manager translucent pixels show black: every window
    // paints solid, cut to its outline, until one appears. The one watch is
    // handed to each window's owner.
    CompositorWatch *compositor = backend.compositor;
    compositor->setParent(this);
    m_compositor = compositor;
    m_panels->setCompositing(compositor->isActive());
    connect(compositor, &CompositorWatch::changed, m_panels.get(), &PanelSet::setCompositing);

    // Items left loose on the desktop; every item drag of the panels runs through them.
    m_panels->setLooseItems(
        new DesktopShortcuts(m_model.get(), m_layer.get(), choices.options.iconSize, compositor));

    // "Show the real desktop icons": one action for every menu that offers it.
    auto *realIcons = new QAction(this);
    L10n::bind(realIcons, "text", "Show the real desktop icons");
    realIcons->setCheckable(true);
    realIcons->setChecked(!m_shell->isHidden());
    connect(m_shell.get(), &ShellDesktop::hiddenChanged, realIcons,
            [realIcons](bool hidden) { realIcons->setChecked(!hidden); });
    connect(realIcons, &QAction::triggered, m_shell.get(),
            [shell = m_shell.get()](bool checked) { shell->setIconsHidden(!checked); });

    // Start at sign-in: the legacy entry moves over, the first run switches it
    // on once, and one shared action serves every menu and the settings window.
    m_autostartEntry = std::move(backend.autostartEntry);
    m_autostartEntry->migrateLegacyEntry();
    m_autostart = std::make_unique<AutostartControl>(m_autostartEntry.get(), backend.look.words);
    StartupHold::whenReleased(this, [this] {
        if (!m_autostartEntry->decideOnFirstRun())
            return;
        m_autostart->refresh();
        if (m_tray)
            m_tray->announceAutostart();
    });
    connect(m_panels.get(), &PanelSet::sharedActionsRefreshRequested, m_autostart.get(),
            &AutostartControl::refresh);
    const QList<QAction *> sharedActions{m_autostart->action(), realIcons};

    // Panels only ask to end the program.
    connect(m_panels.get(), &PanelSet::quitRequested, this, &Organiser::quitRequested);

    // Typing in a panel opens the quick search, made on first use.
    connect(m_panels.get(), &PanelSet::searchRequested, this, &Organiser::startSearch);
    // An open search belongs beside the panels: hiding them all, from the tray too, closes it.
    connect(m_panels.get(), &PanelSet::panelsHidden, this, [this] {
        if (m_search)
            m_search->dismiss(false);
    });

    // The panels come on screen first: they are what a crowded desktop waits
    // for. The feature windows and the tray are made while the window manager
    // maps them, and the feature windows that belong on screen join them.
    m_panels->showAll(false);

    // The currency converter: its panel joins the set; "Currency converter" shows or hides it.
    m_currency = std::make_unique<CurrencyFeature>(m_panels.get(), m_layer.get(), compositor);

    // The to-do list: its panel joins the set; "Show To-do list" is one action for every menu.
    m_todo = std::make_unique<TodoController>(m_panels.get(), m_layer.get());
    // Saving and restoring layouts, and the daily backups.
    m_layoutHost = std::make_unique<PanelSetLayoutHost>(m_panels.get());
    m_keeper = std::make_unique<LayoutKeeper>(m_layoutHost.get());
    connect(m_keeper.get(), &LayoutKeeper::noticeRequested, this, &Organiser::notify);
    m_snapshotMenu = std::make_unique<SnapshotMenu>(m_keeper.get());
    auto *layoutSeparator = new QAction(this);
    layoutSeparator->setSeparator(true);

    m_panels->setSharedActions(
        sharedActions + QList<QAction *>{m_todo->visibilityAction(), m_currency->action(), layoutSeparator} +
        m_snapshotMenu->actions());
    m_todo->setCompositing(compositor->isActive());
    connect(compositor, &CompositorWatch::changed, m_todo.get(), &TodoController::setCompositing);
    m_panels->showCompanions();

    // A double-click on the bare desktop puts everything away and brings it back.
    if (DesktopClickWatcher *clicks = backend.desktopClicks) {
        clicks->setParent(this);
        m_quickHide = std::make_unique<QuickHide>(clicks, m_panels.get(), m_shell.get());
    }

    // The tray, unless declined or the session has none (then closing the last
    // panel ends the program, as with --no-tray).
    if (choices.tray) {
        m_tray = std::make_unique<TrayHost>(m_panels.get(), m_model.get(), m_shell.get(), m_autostart.get(),
                                            backend.look);
        if (backend.trayAvailable)
            m_tray->setAvailabilityCheck(std::move(backend.trayAvailable));
        m_tray->setSharedActions(sharedActions);
        m_tray->setToolActions({m_todo->toolAction(), m_currency->action()});
        m_tray->setLayoutActions(QList<QAction *>{folders->newPanelAction()} + m_snapshotMenu->actions());
        connect(m_tray.get(), &TrayHost::quitRequested, this, &Organiser::quitRequested);
        m_tray->start();
    }

    // A window manager without layers leaves the panels among the applications'
    // windows; the user hears why once, in the tray or else on the terminal.
    connect(m_layer.get(), &DesktopLayer::layersFoundMissing, this, &Organiser::sayLayersMissing);

    // The windows are made; the to-do list shows at the next turn, and then
    // every window of the start is known.
    QTimer::singleShot(0, this, [this] {
        auto *windows = new StartupWindows(startWindowsLimit, this);
        connect(windows, &StartupWindows::onScreen, this, &Organiser::finishStart);
        connect(windows, &StartupWindows::onScreen, windows, &QObject::deleteLater);
    });
}

void Organiser::finishStart()
{
    m_startLayoutSave.reset();
    m_startHold.reset();
    // The first backup of the day copies what the start wrote.
    m_keeper->start();
}

Organiser::~Organiser()
{
    m_search.reset();
    m_quickHide.reset();
    m_tray.reset();
    // Ending before the windows were on screen still writes what the start
    // set; with the tray gone, nothing is announced any more.
    m_startLayoutSave.reset();
    m_startHold.reset();
    m_snapshotMenu.reset();
    m_keeper.reset();
    m_layoutHost.reset();
    m_todo.reset();
    m_currency.reset();
    m_panels.reset();
    m_layer.reset();
    m_autostart.reset();
    m_autostartEntry.reset();
    m_model.reset();
    m_shell.reset();
}

void Organiser::showProgram()
{
    if (m_tray)
        m_tray->showProgram();
    else
        m_panels->showAll(true);
}

// The search is made on first use; the item chosen in it opens through the panels.
void Organiser::startSearch(QWidget *source, const SearchTrigger &trigger)
{
    if (!m_search) {
        m_search = std::make_unique<QuickSearch>(m_panels->folderPanels()->searchModel(), m_compositor);
        connect(m_search.get(), &QuickSearch::openRequested, m_panels.get(), &PanelSet::openItem);
    }
    m_search->start(source, trigger);
}

void Organiser::sayLayersMissing()
{
    notify(QStringLiteral("Larkspan"), L10n::text(DesktopLayer::layersMissingText));
}

void Organiser::notify(const QString &title, const QString &text)
{
    if (m_tray && m_tray->hasTray() && m_tray->trayIcon())
        m_tray->trayIcon()->showNotice(title, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}
