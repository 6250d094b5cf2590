#pragma once

#include <QFont>
#include <QString>

// Look shared by every window of the program.
namespace AppStyle {

QFont appFont();
QString toolTipStyleSheet();
QString menuStyleSheet();

} // namespace AppStyle
