#pragma once

#include <QString>
#include <QStringList>

class QFont;

// Shortening item names to the room they have. A name cut just after a dot
// ("untrusted.") must not read as four dots, so the dots before the ellipsis go.
namespace NameElide {

// The name elided at the right to width px.
QString elideRight(const QFont &font, const QString &name, int width);

// The name broken over at most maxLines lines of width px, at word boundaries
// where it can and anywhere where it must; the last line holds the rest of the
// name from its start, elided at the right.
QStringList lines(const QFont &font, const QString &name, int width, int maxLines);

} // namespace NameElide
