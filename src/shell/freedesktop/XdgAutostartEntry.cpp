#include "shell/freedesktop/XdgAutostartEntry.h"

#include "base/AtomicSave.h"
#include "base/SafeFile.h"
#include "base/Version.h"
#include "shell/freedesktop/ExecLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>

namespace {

// An autostart entry is a few lines; anything bigger is not one.
constexpr qint64 sizeCap = 64 * 1024;

// The executable names earlier versions ran under.
const QStringList &legacyProgramNames()
{
    static const QStringList names{QStringLiteral("brim-vale"), QStringLiteral("Brim Vale")};
    return names;
}

// The keys of the [Desktop Entry] group; empty when the text is not a desktop entry.
QHash<QString, QString> desktopEntryKeys(const QString &text, bool *isEntry)
{
    QHash<QString, QString> keys;
    *isEntry = false;
    bool inEntry = false;
    const QStringList lines = text.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            inEntry = trimmed == QLatin1StringView("[Desktop Entry]");
            *isEntry = *isEntry || inEntry;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inEntry || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(equals + 1).trimmed());
    }
    return keys;
}

QString notOurs()
{
    return QStringLiteral("is not an entry of this program");
}

} // namespace

struct XdgAutostartEntry::Reading
{
    SafeFile::Status status = SafeFile::Status::Missing;
    bool understood = false; // a desktop entry with a usable Exec
    bool active = false;     // not switched off in the desktop's session settings
    bool marked = false;     // written by this program
    QString program;
};

XdgAutostartEntry::XdgAutostartEntry(const QString &folder, const QString &executable)
    : m_folder(folder)
    , m_executable(executable)
{}

QString XdgAutostartEntry::filePath() const
{
    return QDir(m_folder).filePath(QString::fromUtf16(fileName));
}

QByteArray XdgAutostartEntry::content() const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Larkspan\n");
    text += QLatin1StringView("Exec=") + ExecLine::encode(m_executable) + u'\n';
    // Once that file is gone (a build folder cleaned, a package removed) the
    // session skips the entry instead of failing to start it.
    text += QLatin1StringView("TryExec=") + ExecLine::escapeString(m_executable) + u'\n';
    text += QLatin1StringView("Icon=" LARKSPAN_APP_ID "\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n");
    text += QLatin1StringView(markerKey) + QLatin1StringView("=true\n");
    return text.toUtf8();
}

XdgAutostartEntry::Reading XdgAutostartEntry::read(const QString &path) const
{
    const SafeFile::Result file = SafeFile::read(path, sizeCap);
    if (!file.ok()) {
        Reading reading;
        reading.status = file.status;
        return reading;
    }
    return understand(file.data);
}

XdgAutostartEntry::Reading XdgAutostartEntry::understand(const QByteArray &data) const
{
    Reading reading;
    reading.status = SafeFile::Status::Ok;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(data);
    if (decoder.hasError())
        return reading;
    bool isEntry = false;
    const QHash<QString, QString> keys = desktopEntryKeys(text, &isEntry);
    const QStringList arguments = ExecLine::decode(keys.value(QStringLiteral("Exec")));
    if (!isEntry || arguments.isEmpty())
        return reading;
    reading.understood = true;
    reading.program = arguments.first();
    reading.marked = keys.value(QLatin1StringView(markerKey)) == QLatin1StringView("true");
    reading.active = keys.value(QStringLiteral("Hidden")) != QLatin1StringView("true") &&
                     keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) != QLatin1StringView("false");
    return reading;
}

bool XdgAutostartEntry::names(const QString &program, const QString &executable) const
{
    if (program.isEmpty() || executable.isEmpty())
        return false;
    // A bare name is looked up on PATH, as the session does when it starts it.
    const QString resolved =
        QDir::isAbsolutePath(program) ? program : QStandardPaths::findExecutable(program);
    if (resolved.isEmpty())
        return false;
    if (QDir::cleanPath(resolved) == QDir::cleanPath(executable))
        return true;
    // A link to the program (/usr/bin/larkspan) starts the same file.
    const QString canonical = QFileInfo(resolved).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(executable).canonicalFilePath();
}

bool XdgAutostartEntry::startsThis(const Reading &reading) const
{
    return reading.understood && reading.active && names(reading.program, m_executable);
}

bool XdgAutostartEntry::isOurs(const Reading &reading) const
{
    if (!reading.understood)
        return false;
    if (reading.marked || names(reading.program, m_executable))
        return true;
    const QString name = QFileInfo(reading.program).fileName();
    return std::any_of(
        legacyProgramNames().cbegin(), legacyProgramNames().cend(),
        [&name](const QString &legacy) { return name.compare(legacy, Qt::CaseInsensitive) == 0; });
}

bool XdgAutostartEntry::removeFile(const QString &path, const Reading &reading)
{
    if (!reading.marked && AtomicSave::keepCopy(path, notOurs()).isEmpty())
        return false;
    return QFile::remove(path);
}

bool XdgAutostartEntry::isEnabled()
{
    return startsThis(read(filePath()));
}

bool XdgAutostartEntry::exists()
{
    return read(filePath()).status != SafeFile::Status::Missing;
}

bool XdgAutostartEntry::setEnabled(bool on)
{
    if (on && m_executable.isEmpty())
        return false;
    const QString path = filePath();
    const Reading current = read(path);
    bool wrote = false;
    if (on && !startsThis(current)) {
        // A link is written through only to an entry of ours; anything else it
        // leads to stays as it is, with a copy beside it.
        const QString target = AtomicSave::saveTarget(
            path, sizeCap, [this](const QByteArray &data) { return understand(data).marked; });
        bool replaceable = target != path || current.status == SafeFile::Status::Missing || current.marked;
        // Anything else is copied aside first; what cannot be copied (a folder,
        // a FIFO, a file we may not read) stays untouched and enabling fails.
        if (!replaceable &&
            (current.status == SafeFile::Status::Ok || current.status == SafeFile::Status::TooLarge))
            replaceable = !AtomicSave::keepCopy(path, notOurs()).isEmpty();
        wrote = replaceable && !target.isEmpty() && AtomicSave::save(target, content());
    } else if (!on && current.status == SafeFile::Status::Ok && isOurs(current)) {
        removeFile(path, current);
    }

    // Whatever the writes reported, the file decides.
    const Reading after = read(path);
    if (startsThis(after) == on)
        return true;
    // No entry that failed verification stays behind.
    if (wrote)
        QFile::remove(path);
    return false;
}

bool XdgAutostartEntry::migrateLegacyEntry()
{
    // The program's own entry written by another build of it (run from a build
    // folder, or installed elsewhere before) starts this one from now on. One
    // the user switched off in the session settings stays as it is.
    const Reading current = read(filePath());
    const bool followed = current.marked && current.active && !startsThis(current) && setEnabled(true);

    const QString legacyPath = QDir(m_folder).filePath(QString::fromUtf16(legacyFileName));
    const Reading legacy = read(legacyPath);
    if (!isOurs(legacy))
        return followed;
    if (!QFile::remove(legacyPath))
        return followed;
    // An entry the user had switched off in the session settings stays off.
    return (legacy.active && setEnabled(true)) || followed;
}
