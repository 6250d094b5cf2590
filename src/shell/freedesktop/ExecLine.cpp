#include "shell/freedesktop/ExecLine.h"

namespace ExecLine {

namespace {

bool escapedInQuotes(QChar c)
{
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

// The string-level escapes every desktop entry value may carry.
QString unescapeString(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case u's':
            out.append(u' ');
            break;
        case u'n':
            out.append(u'\n');
            break;
        case u't':
            out.append(u'\t');
            break;
        case u'r':
            out.append(u'\r');
            break;
        case u'\\':
            out.append(u'\\');
            break;
        default:
            // Not a string escape: it belongs to the quoting rules below.
            out.append(c);
            out.append(next);
        }
    }
    return out;
}

bool isFieldCode(const QString &argument)
{
    static const QString codes = QStringLiteral("fFuUdDnNickvm");
    return argument.size() == 2 && argument.at(0) == u'%' && codes.contains(argument.at(1));
}

} // namespace

QString encode(const QString &program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (escapedInQuotes(c))
            quoted.append(u'\\');
        quoted.append(c);
    }
    quoted.append(u'"');
    quoted.replace(u'%', QLatin1StringView("%%"));

    // The string-level escapes come last: they are undone first when reading.
    return escapeString(quoted);
}

QString escapeString(const QString &text)
{
    QString value;
    value.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            value.append(QLatin1StringView("\\\\"));
            break;
        case u'\n':
            value.append(QLatin1StringView("\\n"));
            break;
        case u'\t':
            value.append(QLatin1StringView("\\t"));
            break;
        case u'\r':
            value.append(QLatin1StringView("\\r"));
            break;
        default:
            value.append(c);
        }
    }
    // A leading space would be trimmed away by every reader.
    if (value.startsWith(u' '))
        value.replace(0, 1, QLatin1StringView("\\s"));
    return value;
}

QStringList decode(const QString &value)
{
    const QString text = unescapeString(value);
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < text.size() && escapedInQuotes(text.at(i + 1))) {
                current.append(text.at(++i));
            } else {
                current.append(c);
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == u'"')
            quoted = true;
        else if (c == u'\\' && i + 1 < text.size())
            current.append(text.at(++i));
        else
            current.append(c);
    }
    if (quoted)
        return {};
    if (inArgument)
        arguments.append(current);

    QStringList result;
    for (QString &argument : arguments) {
        if (isFieldCode(argument))
            continue;
        result.append(argument.replace(QLatin1StringView("%%"), QLatin1StringView("%")));
    }
    return result;
}

} // namespace ExecLine
