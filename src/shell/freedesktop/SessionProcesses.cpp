#include "shell/freedesktop/SessionProcesses.h"

#include "base/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace SessionProcesses {

namespace {

const QByteArray display = QByteArrayLiteral("DISPLAY");
const QByteArray sessionId = QByteArrayLiteral("XDG_SESSION_ID");
const QByteArray sessionBus = QByteArrayLiteral("DBUS_SESSION_BUS_ADDRESS");

// ":0", ":0.0" and "unix:0" name the same local display.
QByteArray displayName(QByteArray value)
{
    if (value.startsWith("unix:"))
        value.remove(0, 4);
    const qsizetype colon = value.lastIndexOf(':');
    const qsizetype screen = value.indexOf('.', colon + 1);
    return colon >= 0 && screen > colon ? value.left(screen) : value;
}

Environment parse(const QByteArray &environ)
{
    Environment variables;
    for (const QByteArray &entry : environ.split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        const QByteArray name = entry.left(equals);
        if (equals > 0 && (name == display || name == sessionId || name == sessionBus))
            variables.insert(name, entry.mid(equals + 1));
    }
    return variables;
}

} // namespace

Environment own()
{
    Environment variables;
    for (const QByteArray &name : {display, sessionId, sessionBus}) {
        if (qEnvironmentVariableIsSet(name.constData()))
            variables.insert(name, qgetenv(name.constData()));
    }
    return variables;
}

bool sameSession(const Environment &mine, const Environment &theirs)
{
    const auto same = [&](const QByteArray &name, QByteArray (*normal)(QByteArray)) {
        const QByteArray a = mine.value(name), b = theirs.value(name);
        return !a.isEmpty() && !b.isEmpty() && normal(a) == normal(b);
    };
    const auto asIs = [](QByteArray value) {
        return value;
    };
    return same(display, displayName) || same(sessionId, asIs) || same(sessionBus, asIs);
}

QSet<QString> namesInSession(const QList<Process> &processes, const Environment &mine)
{
    QSet<QString> names;
    for (const Process &process : processes) {
        if (process.environment && sameSession(mine, *process.environment))
            names.insert(process.name);
    }
    return names;
}

QList<Process> read(const QSet<QString> &names)
{
    // A process's environment block is at most a few hundred kilobytes.
    constexpr qint64 environCap = 1024 * 1024;
    QList<Process> processes;
    const QDir proc(QStringLiteral("/proc"));
    const uint me = ::getuid();
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric || QFileInfo(proc.filePath(pid)).ownerId() != me)
            continue;
        const SafeFile::Result comm = SafeFile::read(proc.filePath(pid) + QLatin1String("/comm"), 256);
        const QString name = QString::fromUtf8(comm.data).trimmed();
        if (!comm.ok() || !names.contains(name))
            continue;
        const SafeFile::Result environ =
            SafeFile::read(proc.filePath(pid) + QLatin1String("/environ"), environCap);
        processes.append(
            {name, environ.ok() ? std::optional(parse(environ.data)) : std::nullopt, pid.toLongLong()});
    }
    return processes;
}

} // namespace SessionProcesses
