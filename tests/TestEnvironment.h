#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QHash>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class PrivateBus;
class QProcess;

// A throw-away home for one test: HOME, TMPDIR and the XDG folders point into a
// temporary directory and QStandardPaths runs in test mode, so nothing a test
// does reaches the real user's settings, desktop or configuration, and nothing
// it starts meets another program's runtime files.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    Q_DISABLE_COPY_MOVE(TestEnvironment)

    QString home() const { return m_dir.path(); }
    QString desktop() const { return home() + QLatin1String("/Desktop"); }
    // Where the program keeps its files, and its settings file: spelled out here,
    // not asked of the program, so that a test fails if the program's paths move.
    QString appConfigDir() const;
    static QString settingsFile();
    // The settings file as the program opens it.
    static QSettings settings() { return QSettings(settingsFile(), QSettings::IniFormat); }
    QString runtimeDir() const { return home() + QLatin1String("/run"); }

    // Writes a file (creating folders), executable for its owner if asked; a path
    // relative to the home or an absolute one. Returns its path, or an empty
    // string when it was not written.
    QString writeFile(const QString &relativePath, const QByteArray &content, bool executable = false) const;
    // A file's bytes; empty when it cannot be read.
    static QByteArray readFile(const QString &path);

    // Whether QFile::link makes symbolic links here (Windows makes shortcut files).
    static bool makesSymbolicLinks();

    // Starts a session bus of this environment's own (see PrivateBus), which
    // DBUS_SESSION_BUS_ADDRESS points at until the environment ends. Returns the
    // address, or an empty string when dbus-daemon could not be started.
    QString startSessionBus();
    // Starts a bare X server of the test's own on a free display; returns the display
    // (":N"), or an empty array when Xvfb could not be started.
    static QByteArray startXvfb(QProcess &server);

private:
    // Made in the temporary folder the process started with: one made in the
    // TMPDIR of an environment still alive would go when that one ends.
    QTemporaryDir m_dir;
    QHash<QByteArray, std::optional<QByteArray>> m_saved;
    // Shared, so that the environment ends it without knowing the bus: only the
    // platforms with D-Bus build the bus.
    std::shared_ptr<PrivateBus> m_bus;
};

// One column of a model, top to bottom.
inline QStringList column(const QAbstractItemModel &model, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.index(row, 0).data(role).toString());
    return values;
}
