#include "CommandLine.h"

#include "base/Settings.h"
#include "base/l10n/L10nText.h"

#include <QCommandLineParser>
#include <QSettings>

namespace CommandLine {

namespace {

bool inIconRange(int px)
{
    return PanelMetrics::isIconSize(px);
}

} // namespace

void setUp(QCommandLineParser &parser)
{
    // In the user's language, beside Qt's own lines of the help.
    parser.setApplicationDescription(L10n::text(description));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("alpha"), L10n::text("How solid a panel body is, 0-100."), QStringLiteral("percent"),
         QStringLiteral("78")},
        {QStringLiteral("icon-size"), L10n::text("Icon edge in pixels, 32-96."), QStringLiteral("pixels"),
         QStringLiteral("48")},
        {QStringLiteral("single"), L10n::text("One panel for everything, not one per kind.")},
        {QStringLiteral("keep-icons"), L10n::text("Leave the real desktop icons on screen.")},
        {QStringLiteral("topmost"), L10n::text("Pin above every window.")},
        {QStringLiteral("opaque"), L10n::text("No glass; paint solid panels.")},
        {QStringLiteral("no-tray"), L10n::text("No tray icon; closing a panel quits.")},
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
