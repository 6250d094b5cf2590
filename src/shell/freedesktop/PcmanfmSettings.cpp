#include "shell/freedesktop/PcmanfmSettings.h"

#include <QDir>

namespace PcmanfmSettings {

namespace {

const QByteArray group = QByteArrayLiteral("[Desktop]");
const QByteArray key = QByteArrayLiteral("HideItems");

struct Line
{
    QByteArray text; // without its line end
    QByteArray end;  // "\n", "\r\n" or empty for a last line without one
};

QList<Line> split(const QByteArray &file)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < file.size()) {
        const qsizetype newline = file.indexOf('\n', start);
        const qsizetype stop = newline < 0 ? file.size() : newline;
        const bool crlf = stop > start && file.at(stop - 1) == '\r';
        lines.append({file.mid(start, stop - start - (crlf ? 1 : 0)),
                      newline < 0 ? QByteArray() : QByteArray(crlf ? "\r\n" : "\n")});
        start = stop + 1;
    }
    return lines;
}

bool isGroup(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// The value when the line sets HideItems.
std::optional<QByteArray> valueOf(const QByteArray &text)
{
    const qsizetype equals = text.indexOf('=');
    if (equals < 0 || text.left(equals).trimmed() != key)
        return std::nullopt;
    return text.mid(equals + 1).trimmed();
}

} // namespace

std::optional<QByteArray> hideItems(const QByteArray &file)
{
    bool inDesktop = false;
    std::optional<QByteArray> value;
    for (const Line &line : split(file)) {
        if (isGroup(line.text))
            inDesktop = line.text.trimmed() == group;
        else if (const auto found = inDesktop ? valueOf(line.text) : std::nullopt)
            value = found; // as QSettings does, the last one counts
    }
    return value;
}

bool hides(const std::optional<QByteArray> &value)
{
    return value && (value->compare("true", Qt::CaseInsensitive) == 0 || *value == "1");
}

QByteArray withHideItems(const QByteArray &file, const std::optional<QByteArray> &value)
{
    const QList<Line> lines = split(file);
    // A line added ends as the file's lines do.
    const QByteArray end =
        lines.isEmpty() || lines.first().end.isEmpty() ? QByteArray("\n") : lines.first().end;
    // The lines that set the key, and where a missing key goes: after the last
    // line of the first [Desktop] group that is not blank, so the blank line
    // before the next group stays where it was.
    QList<qsizetype> keyLines;
    qsizetype lastInGroup = -1;
    int desktopGroups = 0;
    bool inDesktop = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &text = lines.at(i).text;
        if (isGroup(text)) {
            inDesktop = text.trimmed() == group;
            desktopGroups += inDesktop ? 1 : 0;
        } else if (inDesktop && valueOf(text)) {
            keyLines.append(i);
        }
        if (inDesktop && desktopGroups == 1 && !text.trimmed().isEmpty())
            lastInGroup = i;
    }
    const QByteArray setting = value ? key + '=' + *value : QByteArray();
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        if (keyLines.contains(i)) {
            if (value && i == keyLines.first())
                out += setting + line.end;
            continue;
        }
        out += line.text + line.end;
        if (value && keyLines.isEmpty() && i == lastInGroup)
            out += (line.end.isEmpty() ? end : QByteArray()) + setting + end;
    }
    if (value && keyLines.isEmpty() && lastInGroup < 0) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += end;
        if (!out.isEmpty() && !out.endsWith(QByteArray(end + end)))
            out += end;
        out += group + end + setting + end;
    }
    return out;
}

QString filePath(const QStringList &arguments, const QHash<QString, QString> &environment, bool root)
{
    QString profile = QStringLiteral("default");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if ((argument == QLatin1String("--profile") || argument == QLatin1String("-p")) &&
            i + 1 < arguments.size())
            profile = arguments.at(++i);
        else if (argument.startsWith(QLatin1String("--profile=")))
            profile = argument.mid(10);
    }
    const QString configHome = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    const QString config = !root && QDir::isAbsolutePath(configHome)
                               ? configHome
                               : environment.value(QStringLiteral("HOME")) + QLatin1String("/.config");
    return config + QLatin1String("/pcmanfm-qt/") + profile + QLatin1String("/settings.conf");
}

} // namespace PcmanfmSettings
