#include "CommandLine.h"

#include "base/Settings.h"

#include <QCommandLineParser>
#include <QSettings>

namespace CommandLine {

namespace {

bool inIconRange(int px)
{
    return px >= minIconSize && px <= maxIconSize;
}

} // namespace

void setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Clears the desktop and puts its icons in panels instead, one per kind of thing."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("alpha"), QStringLiteral("How solid a panel body is, 0-100."),
         QStringLiteral("percent"), QStringLiteral("78")},
        {QStringLiteral("icon-size"), QStringLiteral("Icon edge in pixels, 32-96."), QStringLiteral("pixels"),
         QStringLiteral("48")},
        {QStringLiteral("single"), QStringLiteral("One panel for everything, not one per kind.")},
        {QStringLiteral("keep-icons"), QStringLiteral("Leave the real desktop icons on screen.")},
        {QStringLiteral("topmost"), QStringLiteral("Pin above every window.")},
        {QStringLiteral("opaque"), QStringLiteral("No glass; paint solid panels.")},
        {QStringLiteral("no-tray"), QStringLiteral("No tray icon; closing a panel quits.")},
    });
}

Request requestOf(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUp(parser);
    if (!parser.parse(arguments))
        return Request::Malformed;
    const bool answer = parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
                        parser.isSet(QStringLiteral("version"));
    return answer ? Request::Answer : Request::Run;
}

int alphaFrom(const QString &value)
{
    bool ok = false;
    const int alpha = value.toInt(&ok, 10);
    return ok && alpha >= 0 && alpha <= 100 ? alpha : defaultAlpha;
}

int iconSizeFrom(int stored, bool optionGiven, const QString &optionValue)
{
    int size = inIconRange(stored) ? stored : defaultIconSize;
    if (optionGiven) {
        bool ok = false;
        const int px = optionValue.toInt(&ok, 10);
        if (ok && inIconRange(px))
            size = px;
    }
    return size;
}

IconPanelOptions optionsFrom(const QCommandLineParser &parser)
{
    IconPanelOptions options;
    options.opaque = parser.isSet(QStringLiteral("opaque"));
    options.alpha = alphaFrom(parser.value(QStringLiteral("alpha")));
    const int stored = Settings::instance()->value(SettingsKeys::panelIconSize).toInt();
    options.iconSize = iconSizeFrom(stored, parser.isSet(QStringLiteral("icon-size")),
                                    parser.value(QStringLiteral("icon-size")));
    return options;
}

} // namespace CommandLine
