#include "app/CommandLine.h"
#include "app/SingleInstanceGuard.h"
#include "base/AppIdentity.h"
#include "base/AppStyle.h"
#include "base/Settings.h"
#include "base/ToolTipStyler.h"
#include "base/Version.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyFeature.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelSet.h"
#include "search/QuickSearch.h"
#include "shell/AutostartEntry.h"
#include "shell/CompositorWatch.h"
#include "shell/DesktopIconSwitch.h"
#include "shell/DesktopLayer.h"
#include "shell/DesktopModel.h"
#include "shell/Platform.h"
#include "shell/SessionEndWatcher.h"
#include "shell/ShellDesktop.h"
#include "shortcuts/DesktopShortcuts.h"
#include "todo/TodoController.h"
#include "tray/AppIcon.h"
#include "tray/AutostartControl.h"
#include "tray/TrayHost.h"
#include "tray/TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

namespace {

// Identity first: every settings access depends on it. The language comes
// before the command line so that Qt's help is translated.
void setIdentityAndLanguage()
{
    AppIdentity::apply();
    // Before the first value is read: a FIFO there would stop the start for good.
    Settings::checkFile();
    L10n::install();
}

// Help, version and a malformed command line are answered by the parser, which
// ends the process.
int answerCommandLine(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    setIdentityAndLanguage();
    QCommandLineParser parser;
    CommandLine::setUp(parser);
    // The version line names the program as its stored files do ("brim-vale
    // 1.1.0"); this process only answers and ends, and its other answers (a bad
    // option) keep the name people read.
    if (parser.parse(QCoreApplication::arguments()) && parser.isSet(QStringLiteral("version")))
        QCoreApplication::setApplicationName(QString::fromUtf16(AppIdentity::storedName));
    parser.process(app);
    return 0;
}

// In the user's language, as the command line's answers are.
int sayDisplayNeeded(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    setIdentityAndLanguage();
    std::fprintf(stderr, "%s\n", qPrintable(L10n::text(Platform::words().displayNeeded)));
    return 1;
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::prepareEnvironment();

    // Help and version need no display (over SSH, in scripts); without one a
    // bad command line is answered as well, and a start says what is missing
    // instead of aborting in the windowing system.
    const bool display = Platform::displayAvailable();
    const CommandLine::Request request = CommandLine::requestOf(argumentsOf(argc, argv));
    if (request == CommandLine::Request::Answer || (request == CommandLine::Request::Malformed && !display))
        return answerCommandLine(argc, argv);
    if (!display)
        return sayDisplayNeeded(argc, argv);

    // A crowded desktop is read while the application starts.
    Platform::startReadingDesktop();

    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setFont(AppStyle::appFont());
    setIdentityAndLanguage();
    L10n::followLayoutDirection();

    QGuiApplication::setDesktopFileName(QStringLiteral(LARKSPAN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(true);
    QApplication::setWindowIcon(Platform::windowIcon(appIcon()));
    ToolTipStyler::install(app.get());

    // Bad options end here, before the instance check, so they are also
    // answered while another instance runs.
    auto parser = std::make_unique<QCommandLineParser>();
    CommandLine::setUp(*parser);
    parser->process(*app);

    auto guard = std::make_unique<SingleInstanceGuard>();
    if (!guard->acquire())
        return 0;

    const IconPanelOptions options = CommandLine::optionsFrom(*parser);

    // The one orderly exit. Not QCoreApplication::quit: that first asks every
    // window to close, and panels that hide to the tray refuse, which cancels it.
    const auto leave = [] {
        QCoreApplication::exit(0);
    };

    // A logout, kill or Ctrl+C leaves through the same orderly exit as "Quit".
    SessionEndWatcher *sessionEnd = Platform::createSessionEndWatcher(app.get());
    QObject::connect(sessionEnd, &SessionEndWatcher::endRequested, app.get(), leave);

    // The desktop's own icons are hidden while we run and given back on every
    // orderly way out: quit (also after a signal), and the session's end.
    auto shell = std::make_unique<ShellDesktop>(Platform::createDesktopIconSwitch());
    QObject::connect(app.get(), &QCoreApplication::aboutToQuit, shell.get(), &ShellDesktop::restoreIcons);
    QObject::connect(app.get(), &QGuiApplication::commitDataRequest, shell.get(),
                     &ShellDesktop::restoreIcons);
    if (!parser->isSet(QStringLiteral("keep-icons")))
        shell->hideIcons();

    auto model = std::make_unique<DesktopModel>(std::make_unique<ItemPlacement>());
    auto layer = std::make_unique<DesktopLayer>(parser->isSet(QStringLiteral("topmost")));
    model->setIconSize(options.iconSize);
    // The virtual items' names (Home, Computer, Trash) follow the language.
    L10n::onLanguageChanged(model.get(), [model = model.get()] { model->queueReload(); });

    auto panels = std::make_unique<PanelSet>(options, model.get(), !parser->isSet(QStringLiteral("single")));
    // Panels belong to the desktop: just above it, or pinned above everything.
    panels->setDesktopLayer(layer.get());

    // Items left loose on the desktop; every item drag of the panels runs through them.
    panels->setLooseItems(new DesktopShortcuts(model.get(), layer.get(), options.iconSize));

    // "Show the real desktop icons": one action for every menu that offers it.
    auto *realIcons = new QAction(app.get());
    L10n::bind(realIcons, "text", "Show the real desktop icons");
    realIcons->setCheckable(true);
    realIcons->setChecked(!shell->isHidden());
    QObject::connect(shell.get(), &ShellDesktop::hiddenChanged, realIcons,
                     [realIcons](bool hidden) { realIcons->setChecked(!hidden); });
    QObject::connect(realIcons, &QAction::triggered, shell.get(),
                     [shell = shell.get()](bool checked) { shell->setIconsHidden(!checked); });

    // Start at sign-in: the legacy entry moves over, the first run switches it
    // on once, and one shared action serves every menu and the settings window.
    auto autostartEntry = Platform::createAutostartEntry();
    autostartEntry->migrateLegacyEntry();
    const bool firstRunAutostart = autostartEntry->decideOnFirstRun();
    auto autostart = std::make_unique<AutostartControl>(autostartEntry.get());
    QObject::connect(panels.get(), &PanelSet::sharedActionsRefreshRequested, autostart.get(),
                     &AutostartControl::refresh);
    const QList<QAction *> sharedActions{autostart->action(), realIcons};

    // Without a compositing manager translucent pixels show black: panels paint
    // solid with rounded window shapes until one appears.
    CompositorWatch *compositor = Platform::createCompositorWatch(app.get());
    panels->setCompositing(compositor->isActive());
    QObject::connect(compositor, &CompositorWatch::changed, panels.get(), &PanelSet::setCompositing);

    // Panels only ask to end the program; leaving is the same orderly exit as a logout.
    QObject::connect(panels.get(), &PanelSet::quitRequested, app.get(), leave);

    // Typing in a panel opens the quick search, made on first use; its choice opens through the panels.
    std::unique_ptr<QuickSearch> search;
    QObject::connect(
        panels.get(), &PanelSet::searchRequested, app.get(),
        [&search, model = model.get(), panels = panels.get()](QWidget *source, const SearchTrigger &trigger) {
            if (!search) {
                search = std::make_unique<QuickSearch>(model);
                QObject::connect(search.get(), &QuickSearch::openRequested, panels, &PanelSet::openItem);
            }
            search->start(source, trigger);
        });
    // An open search belongs beside the panels: hiding them all, from the tray too, closes it.
    QObject::connect(panels.get(), &PanelSet::panelsHidden, app.get(), [&search] {
        if (search)
            search->dismiss(false);
    });

    // The panels come on screen first: they are what a crowded desktop waits
    // for. The feature windows and the tray are made while the window manager
    // maps them, and the feature windows that belong on screen join them.
    panels->showAll(false);

    // The currency converter: its panel joins the set; "Currency converter" shows or hides it.
    auto currency = std::make_unique<CurrencyFeature>(panels.get(), layer.get());

    // The to-do list: its panel joins the set; "Show To-do list" is one action for every menu.
    auto todo = std::make_unique<TodoController>(panels.get(), layer.get());
    panels->setSharedActions(sharedActions + QList<QAction *>{todo->visibilityAction(), currency->action()});
    todo->setCompositing(compositor->isActive());
    QObject::connect(compositor, &CompositorWatch::changed, todo.get(), &TodoController::setCompositing);
    panels->showCompanions();

    // The tray, unless declined or the session has none (then closing the last
    // panel ends the program, as with --no-tray).
    std::unique_ptr<TrayHost> tray;
    if (!parser->isSet(QStringLiteral("no-tray"))) {
        tray = std::make_unique<TrayHost>(panels.get(), model.get(), shell.get(), autostart.get());
        tray->setSharedActions(sharedActions);
        tray->setToolActions({todo->toolAction(), currency->action()});
        QObject::connect(tray.get(), &TrayHost::quitRequested, app.get(), leave);
        tray->start();
        if (firstRunAutostart)
            tray->announceAutostart();
    }

    // A window manager without layers leaves the panels among the applications'
    // windows; the user hears why once, in the tray or else on the terminal.
    QObject::connect(layer.get(), &DesktopLayer::layersFoundMissing, app.get(), [&tray] {
        const QString text = L10n::text(DesktopLayer::layersMissingText);
        if (tray && tray->hasTray() && tray->trayIcon())
            tray->trayIcon()->showNotice(QStringLiteral("Larkspan"), text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    // Starting the program again is answered by the running one: it shows itself.
    if (tray)
        QObject::connect(guard.get(), &SingleInstanceGuard::showRequested, tray.get(),
                         &TrayHost::showProgram);
    else
        QObject::connect(guard.get(), &SingleInstanceGuard::showRequested, panels.get(),
                         [panels = panels.get()] { panels->showAll(true); });

    const int result = QApplication::exec();

    search.reset();
    tray.reset();
    todo.reset();
    currency.reset();
    panels.reset();
    layer.reset();
    autostart.reset();
    autostartEntry.reset();
    model.reset();
    shell.reset();
    guard.reset();
    parser.reset();
    return result;
}
