#include "LauncherFile.h"

#include "base/SafeFile.h"

#include <QFile>
#include <QHash>

namespace {

// Launchers are a few kilobytes; anything far larger is not one we will read.
constexpr qint64 maxLauncherBytes = 256 * 1024;

QString unescaped(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result.append(QLatin1Char(' '));
            break;
        case 'n':
            result.append(QLatin1Char('\n'));
            break;
        case 't':
            result.append(QLatin1Char('\t'));
            break;
        case 'r':
            result.append(QLatin1Char('\r'));
            break;
        default:
            result.append(next);
        }
    }
    return result;
}

// Locale keys to try, most specific first: lang_COUNTRY@MOD, lang_COUNTRY, lang@MOD, lang.
QStringList localeCandidates(const QString &localeName)
{
    QString name = localeName;
    QString modifier;
    if (const qsizetype at = name.indexOf(QLatin1Char('@')); at >= 0) {
        modifier = name.mid(at);
        name.truncate(at);
    }
    if (const qsizetype dot = name.indexOf(QLatin1Char('.')); dot >= 0)
        name.truncate(dot);
    QString lang = name;
    QString country;
    if (const qsizetype underscore = name.indexOf(QLatin1Char('_')); underscore >= 0) {
        lang = name.left(underscore);
        country = name.mid(underscore);
    }
    QStringList candidates;
    if (!country.isEmpty() && !modifier.isEmpty())
        candidates << lang + country + modifier;
    if (!country.isEmpty())
        candidates << lang + country;
    if (!modifier.isEmpty())
        candidates << lang + modifier;
    if (!lang.isEmpty())
        candidates << lang;
    return candidates;
}

} // namespace

LauncherFile LauncherFile::read(const QByteArray &path, const QString &localeName)
{
    const SafeFile::Result file = SafeFile::read(path, maxLauncherBytes);
    return file.ok() ? parse(file.data, localeName) : LauncherFile();
}

LauncherFile LauncherFile::parse(const QByteArray &data, const QString &localeName)
{
    QHash<QString, QString> entries;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    const QList<QByteArray> lines = data.split('\n');
    for (const QByteArray &rawLine : lines) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            if (inMainGroup && sawMainGroup)
                inMainGroup = false; // a repeated group is malformed; keep the first
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!entries.contains(key))
            entries.insert(key, unescaped(QStringView(line).mid(eq + 1).trimmed()));
    }

    LauncherFile launcher;
    launcher.type = entries.value(QStringLiteral("Type"));
    launcher.icon = entries.value(QStringLiteral("Icon"));
    launcher.url = entries.value(QStringLiteral("URL"));
    launcher.name = entries.value(QStringLiteral("Name"));
    const QStringList candidates = localeCandidates(localeName);
    for (const QString &candidate : candidates) {
        const QString localized = entries.value(QLatin1String("Name[") + candidate + QLatin1Char(']'));
        if (!localized.isEmpty()) {
            launcher.name = localized;
            break;
        }
    }
    launcher.valid = sawMainGroup && !launcher.type.isEmpty() && !launcher.name.trimmed().isEmpty();
    return launcher;
}
