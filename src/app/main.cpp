#include "app/CommandLine.h"
#include "app/Organiser.h"
#include "app/SingleInstanceGuard.h"
#include "base/AppIdentity.h"
#include "base/Settings.h"
#include "base/Version.h"
#include "base/l10n/L10n.h"
#include "look/AppStyle.h"
#include "look/ToolTipStyler.h"
#include "shell/AutostartEntry.h"
#include "shell/DesktopIconSwitch.h"
#include "shell/DesktopModel.h"
#include "shell/DesktopSource.h"
#include "shell/IconSource.h"
#include "shell/InstanceLock.h"
#include "shell/ItemActions.h"
#include "shell/Platform.h"
#include "shell/SessionEndWatcher.h"
#include "tray/AppIcon.h"

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
    PlatformLook look = Platform::look(appIcon());
    QApplication::setWindowIcon(look.windowIcon);
    ToolTipStyler::install(app.get());

    // Bad options end here, before the instance check, so they are also
    // answered while another instance runs.
    auto parser = std::make_unique<QCommandLineParser>();
    CommandLine::setUp(*parser);
    parser->process(*app);

    auto guard = std::make_unique<SingleInstanceGuard>(
        Platform::createInstanceLock(QStringLiteral("BrimvaleQtSingleton")));
    if (!guard->acquire())
        return 0;
    const AppStyle::FontPreparation fonts;

    // The one orderly exit. Not QCoreApplication::quit: that first asks every
    // window to close, and panels that hide to the tray refuse, which cancels it.
    const auto leave = [] {
        QCoreApplication::exit(0);
    };

    // A logout, kill or Ctrl+C leaves through the same orderly exit as "Quit".
    SessionEndWatcher *sessionEnd = Platform::createSessionEndWatcher(app.get());
    QObject::connect(sessionEnd, &SessionEndWatcher::endRequested, app.get(), leave);

    Organiser::Backend backend;
    backend.source = Platform::createDesktopSource();
    backend.icons = Platform::createIconSource();
    backend.actions = Platform::createItemActions();
    backend.iconSwitch = Platform::createDesktopIconSwitch();
    backend.autostartEntry = Platform::createAutostartEntry();
    backend.stacking = Platform::createWindowStacking(nullptr);
    backend.compositor = Platform::createCompositorWatch(nullptr);
    backend.desktopClicks = Platform::createDesktopClickWatcher(nullptr);
    backend.look = std::move(look);
    backend.transfers = [](QObject *parent) {
        return Platform::createFileTransfer(parent);
    };
    backend.folderModels = [](const QByteArray &folder, std::unique_ptr<ItemClassifier> classifier) {
        return std::make_unique<DesktopModel>(Platform::createFolderSource(folder),
                                              Platform::createIconSource(), Platform::createItemActions(),
                                              std::move(classifier));
    };

    Organiser::Choices choices;
    choices.options = CommandLine::optionsFrom(*parser);
    choices.keepIcons = parser->isSet(QStringLiteral("keep-icons"));
    choices.topmost = parser->isSet(QStringLiteral("topmost"));
    choices.perCategory = !parser->isSet(QStringLiteral("single"));
    choices.tray = !parser->isSet(QStringLiteral("no-tray"));

    auto organiser = std::make_unique<Organiser>(std::move(backend), choices);
    QObject::connect(organiser.get(), &Organiser::quitRequested, app.get(), leave);
    // Starting the program again is answered by the running one: it shows itself.
    QObject::connect(guard.get(), &SingleInstanceGuard::showRequested, organiser.get(),
                     &Organiser::showProgram);

    const int result = QApplication::exec();

    organiser.reset();
    guard.reset();
    parser.reset();
    return result;
}
