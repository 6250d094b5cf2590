#pragma once

#include "panels/IconPanelOptions.h"
#include "panels/PanelMetrics.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace CommandLine {

inline constexpr int defaultAlpha = 78;
inline constexpr int defaultIconSize = 48;
using PanelMetrics::maxIconSize;
using PanelMetrics::minIconSize;

inline constexpr char description[] =
    "Clears the desktop and puts its icons in panels instead, one per kind of thing.";

// Adds the description, help, version and the seven options, in their order.
void setUp(QCommandLineParser &parser);

// What a command line asks for, seen before any application object exists:
// help and version are answered without windows (and so without a display).
enum class Request
{
    Run,
    Answer,
    Malformed
};
Request requestOf(const QStringList &arguments);

// Body opacity from the "alpha" value: 0-100 is taken, anything else is the default.
int alphaFrom(const QString &value);

// The icon size: the stored size when it is in range, replaced by the option's
// value when one is given and in range; otherwise the default.
int iconSizeFrom(int stored, bool optionGiven, const QString &optionValue);

// Options of a processed parser, with the stored icon size read from settings.
IconPanelOptions optionsFrom(const QCommandLineParser &parser);

} // namespace CommandLine
