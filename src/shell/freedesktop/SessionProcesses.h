#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// Which desktop processes belong to this session. A user may run several
// sessions at once (another display, a remote login), and a desktop drawn in
// one of them is not the desktop of this one: flipping its switch here would
// change nothing on this screen.
namespace SessionProcesses {

// The variables that tell a session apart, by name.
using Environment = QHash<QByteArray, QByteArray>;

struct Process
{
    QString name; // as in /proc/PID/comm
    // Empty when it could not be read: such a process cannot be placed.
    std::optional<Environment> environment;
    qint64 pid = 0;
};

// This process's own session variables.
Environment own();

// The same X display, login session or session bus: a value counts only when
// both sides have it.
bool sameSession(const Environment &mine, const Environment &theirs);

// The names of the processes that run in the session of mine.
QSet<QString> namesInSession(const QList<Process> &processes, const Environment &mine);

// The processes of this user named one of names, with their session variables.
QList<Process> read(const QSet<QString> &names);

} // namespace SessionProcesses
