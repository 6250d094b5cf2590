#pragma once

#include <QString>
#include <QStringList>

// The "Exec" value of a desktop entry, written the way every desktop reads it
// back: arguments quoted with the characters " ` $ and \ escaped inside the
// quotes, literal percent signs doubled, and the string-level escapes (\\, \n,
// \t, \r, \s) applied on top, so a backslash in a quoted argument is written as
// four.
namespace ExecLine {

// The value that runs program with no arguments; the path is always quoted.
QString encode(const QString &program);

// A plain string value (TryExec, say) with the string-level escapes applied.
QString escapeString(const QString &text);

// The arguments of a value as read from the file (escapes included), field
// codes (%f, %U, ...) left out. Empty when the value is malformed (an open quote).
QStringList decode(const QString &value);

} // namespace ExecLine
