#include "TestEnvironment.h"
#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "shell/freedesktop/ExecLine.h"
#include "shell/freedesktop/XdgAutostartEntry.h"

#include <QtTest>

#include <gio/gio.h>
#include <unistd.h>

namespace {

const QByteArray missing; // a null array: no file at all

QByteArray entry(const QByteArray &exec, const QByteArray &extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=Someone's\nExec=" + exec + "\n" + extra;
}

// What GLib, which most sessions use to start autostart entries, reads as a
// string key of a file's entry.
QString keyGLibReads(const QString &path, const char *key)
{
    GKeyFile *file = g_key_file_new();
    QString value;
    if (g_key_file_load_from_file(file, QFile::encodeName(path).constData(), G_KEY_FILE_NONE, nullptr)) {
        gchar *text = g_key_file_get_string(file, "Desktop Entry", key, nullptr);
        value = QString::fromUtf8(text);
        g_free(text);
    }
    g_key_file_free(file);
    return value;
}

// What GLib makes of a file's Exec: the program it would run.
QString programGLibRuns(const QString &path)
{
    const QByteArray exec = keyGLibReads(path, "Exec").toUtf8();
    gchar **argv = nullptr;
    QString program;
    if (!exec.isEmpty() && g_shell_parse_argv(exec.constData(), nullptr, &argv, nullptr) && argv[0])
        program = QString::fromUtf8(argv[0]).replace("%%", "%");
    g_strfreev(argv);
    return program;
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_program = m_env->writeFile("opt/lark span/larkspan", "#!/bin/sh\n");
        QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner);
    }

    void cleanup()
    {
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env.reset();
    }

    void execLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("written");
        const auto row = [](const char *tag, const QString &program, const QString &written) {
            QTest::newRow(tag) << program << written;
        };
        row("plain", "/usr/bin/larkspan", "\"/usr/bin/larkspan\"");
        row("spaces", "/opt/My Apps/larkspan", "\"/opt/My Apps/larkspan\"");
        // Quote, backslash and dollar are escaped inside the quotes, and that
        // backslash is escaped again by the string rules; percent signs double.
        row("reserved", "/tmp/My \"Apps\"/a\\b$c%d`e",
            "\"/tmp/My \\\\\"Apps\\\\\"/a\\\\\\\\b\\\\$c%%d\\\\`e\"");
        row("single quote and tab", "/o'k/a\tb", "\"/o'k/a\\tb\"");
    }

    void execLine()
    {
        QFETCH(QString, program);
        QFETCH(QString, written);
        QCOMPARE(ExecLine::encode(program), written);
        QCOMPARE(ExecLine::decode(written), QStringList{program});
        // Arguments and field codes after the program do not change what runs.
        QCOMPARE(ExecLine::decode(written + " --opaque %U").value(0), program);
        // GLib, which starts most sessions' autostart entries, runs the same program, and the
        // entry's TryExec names the same file: once it is gone the session skips the entry.
        const QString own = m_env->writeFile("own.desktop", XdgAutostartEntry(folder(), program).content());
        QCOMPARE(programGLibRuns(own), program);
        QCOMPARE(keyGLibReads(own, "TryExec"), program);
    }

    void isEnabled_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        const QByteArray exe = "/PROGRAM";
        QTest::newRow("missing") << missing << false;
        QTest::newRow("quoted") << entry("\"" + exe + "\"") << true;
        QTest::newRow("quoted, arguments after") << entry("\"" + exe + "\" --single") << true;
        QTest::newRow("unquoted space escaped") << entry("/HOME/opt/lark\\\\ span/larkspan") << true;
        QTest::newRow("spaces around the key")
            << entry("\"" + exe + "\"").replace("Exec=", "Exec = ") << true;
        QTest::newRow("switched off: Hidden") << entry("\"" + exe + "\"", "Hidden=true\n") << false;
        QTest::newRow("switched off: GNOME key")
            << entry("\"" + exe + "\"", "X-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("another program") << entry("/usr/bin/other") << false;
        QTest::newRow("program moved") << entry("\"/old/place/larkspan\"") << false;
        QTest::newRow("open quote") << entry("\"" + exe) << false;
        QTest::newRow("Exec in another group")
            << QByteArray("[Desktop Entry]\nName=x\n[Desktop Action a]\nExec=\"" + exe + "\"\n") << false;
        QTest::newRow("not UTF-8") << entry("\"" + exe + "\"", "Name=\xff\xfe\n") << false;
        QTest::newRow("garbage") << QByteArray("\x00\x01\x02 binary", 10) << false;
    }

    void isEnabled()
    {
        QFETCH(QByteArray, content);
        if (!content.isNull()) {
            content.replace("/PROGRAM", QFile::encodeName(m_program));
            content.replace("/HOME", QFile::encodeName(m_env->home()));
        }
        put(mainFile(), content);
        XdgAutostartEntry autostart(folder(), m_program);
        QTEST(autostart.isEnabled(), "enabled");
        QCOMPARE(autostart.exists(), !content.isNull());
    }

    void setEnabled_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("after"); // "ours", "none", "unchanged"
        QTest::addColumn<bool>("keptAside");

        const QByteArray ours = "[Desktop Entry]\nExec=\"/PROGRAM\"\nX-Larkspan-Autostart=true\n";
        const QByteArray oursMoved = "[Desktop Entry]\nExec=\"/old/larkspan\"\nX-Larkspan-Autostart=true\n";
        const QByteArray usersOwn = entry("\"/PROGRAM\" --opaque", "X-GNOME-Autostart-Delay=10\n");
        const QByteArray usersSwitchedOff = entry("\"/PROGRAM\"", "Hidden=true\n");
        const QByteArray foreign = entry("/usr/bin/something-else");
        const QByteArray damaged = "this is not a desktop entry\n";

        QTest::newRow("on: nothing there") << missing << true << true << "ours" << false;
        QTest::newRow("on: ours already") << ours << true << true << "unchanged" << false;
        QTest::newRow("on: the user's own, running us") << usersOwn << true << true << "unchanged" << false;
        QTest::newRow("on: ours, program moved") << oursMoved << true << true << "ours" << false;
        QTest::newRow("on: the user's, switched off") << usersSwitchedOff << true << true << "ours" << true;
        QTest::newRow("on: someone else's") << foreign << true << true << "ours" << true;
        QTest::newRow("on: damaged") << damaged << true << true << "ours" << true;
        // The entry links to a file elsewhere: written through only when it is ours.
        QTest::newRow("on: linked, someone else's") << foreign << true << true << "ours" << true;
        QTest::newRow("on: linked, ours, program moved") << oursMoved << true << true << "ours" << false;
        QTest::newRow("off: nothing there") << missing << false << true << "none" << false;
        QTest::newRow("off: ours") << ours << false << true << "none" << false;
        QTest::newRow("off: the user's own, running us") << usersOwn << false << true << "none" << true;
        QTest::newRow("off: someone else's") << foreign << false << true << "unchanged" << false;
        QTest::newRow("off: damaged") << damaged << false << true << "unchanged" << false;
        QTest::newRow("on: read-only folder") << missing << true << false << "none" << false;
        QTest::newRow("off: read-only folder") << ours << false << false << "unchanged" << false;
        // A file where the folder belongs: nothing can be written, not even by root.
        QTest::newRow("on: folder is a file") << missing << true << false << "none" << false;
        QTest::newRow("off: folder is a file") << missing << false << true << "none" << false;
    }

    void setEnabled()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, on);
        QFETCH(bool, result);
        QFETCH(QString, after);
        QFETCH(bool, keptAside);
        before.replace("/PROGRAM", QFile::encodeName(m_program));
        const bool linked = QByteArray(QTest::currentDataTag()).contains("linked");
        const QString users = linked ? m_env->home() + "/dotfiles/Larkspan.desktop" : mainFile();
        put(users, before);
        if (QByteArray(QTest::currentDataTag()).contains("folder is a file"))
            put(folder(), "a file, not a folder");
        QDir().mkpath(folder());
        if (linked)
            QVERIFY(QFile::link(users, mainFile()));
        if (QByteArray(QTest::currentDataTag()).contains("read-only")) {
            if (::geteuid() == 0)
                QSKIP("permissions do not bind root");
            QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
        }

        XdgAutostartEntry autostart(folder(), m_program);
        QCOMPARE(autostart.setEnabled(on), result);
        QCOMPARE(autostart.isEnabled(), result ? on : !on);
        if (after == "ours")
            QCOMPARE(TestEnvironment::readFile(mainFile()), autostart.content());
        else if (after == "none")
            QVERIFY(!QFile::exists(mainFile()));
        else
            QCOMPARE(TestEnvironment::readFile(mainFile()), before);
        // Copies lie beside the user's file, which stays as it was unless it is ours.
        const QString beside = QFileInfo(users).path();
        const QStringList copies = QDir(beside).entryList({"Larkspan.desktop.unreadable-*"}, QDir::Files);
        QCOMPARE(copies.size(), keptAside ? 1 : 0);
        if (keptAside)
            QCOMPARE(TestEnvironment::readFile(beside + "/" + copies.first()), before);
        QCOMPARE(QFileInfo(mainFile()).isSymLink(), linked && !keptAside);
        if (linked)
            QCOMPARE(TestEnvironment::readFile(users), keptAside ? before : autostart.content());
    }

    void migrate_data()
    {
        QTest::addColumn<QByteArray>("legacy");
        QTest::addColumn<QByteArray>("current"); // under the current name
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("legacyRemains");
        QTest::addColumn<bool>("enabledAfter");
        const QByteArray ownOtherBuild =
            "[Desktop Entry]\nExec=\"/some/build/larkspan\"\nX-Larkspan-Autostart=true\n";
        QTest::newRow("nothing to migrate") << missing << missing << false << false << false;
        // Written by a build run before the package was installed: it starts this one now.
        QTest::newRow("ours, another build") << missing << ownOtherBuild << true << false << true;
        QTest::newRow("ours, another build, switched off") << missing << ownOtherBuild + "Hidden=true\n"
                                                           << false << false << false;
        QTest::newRow("the user's own, another build")
            << missing << entry("\"/some/build/larkspan\"") << false << false << false;
        QTest::newRow("earlier version, any folder")
            << entry("/usr/local/bin/brim-vale") << missing << true << false << true;
        QTest::newRow("earlier name with a space")
            << entry("\"/opt/Brim Vale/BRIM VALE\" --x") << missing << true << false << true;
        QTest::newRow("this very program") << entry("\"/PROGRAM\"") << missing << true << false << true;
        QTest::newRow("another program")
            << entry("/usr/bin/brim-vale-helper") << missing << false << true << false;
        QTest::newRow("switched off by the user")
            << entry("/usr/bin/brim-vale", "Hidden=true\n") << missing << false << false << false;
        QTest::newRow("damaged") << QByteArray("Exec=/usr/bin/brim-vale\n") << missing << false << true
                                 << false;
    }

    void migrate()
    {
        QFETCH(QByteArray, legacy);
        QFETCH(QByteArray, current);
        QFETCH(bool, enabledAfter);
        legacy.replace("/PROGRAM", QFile::encodeName(m_program));
        put(legacyFile(), legacy);
        put(mainFile(), current);
        XdgAutostartEntry autostart(folder(), m_program);
        QTEST(autostart.migrateLegacyEntry(), "result");
        QTEST(QFile::exists(legacyFile()), "legacyRemains");
        QCOMPARE(autostart.isEnabled(), enabledAfter);
        if (!current.isNull())
            QCOMPARE(TestEnvironment::readFile(mainFile()), enabledAfter ? autostart.content() : current);
    }

    void firstRun_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("enabledAfter");
        QTest::newRow("first run") << missing << true << true;
        QTest::newRow("the user's own entry stands") << entry("/usr/bin/other") << false << false;
        // Fails quietly, and is not tried again at the next start.
        QTest::newRow("folder is a file") << QByteArray("a file, not a folder") << false << false;
    }

    void firstRun()
    {
        QFETCH(QByteArray, existing);
        const QString path =
            QByteArray(QTest::currentDataTag()) == "folder is a file" ? folder() : mainFile();
        put(path, existing);
        XdgAutostartEntry autostart(folder(), m_program);
        QTEST(autostart.decideOnFirstRun(), "result");
        QTEST(autostart.isEnabled(), "enabledAfter");
        QVERIFY(Settings::instance()->value(SettingsKeys::autostartDecided).toBool());
        if (!existing.isNull())
            QCOMPARE(TestEnvironment::readFile(path), existing);
        // The decision is taken once: switched off afterwards, it stays off.
        autostart.setEnabled(false);
        QVERIFY(!autostart.decideOnFirstRun());
        QVERIFY(!autostart.isEnabled());
    }

private:
    QString folder() const { return m_env->home() + "/.config/autostart"; }
    QString mainFile() const { return folder() + "/Larkspan.desktop"; }
    QString legacyFile() const { return folder() + "/Brim Vale.desktop"; }
    // A null content writes no file at all.
    void put(const QString &path, const QByteArray &content) const
    {
        QVERIFY(content.isNull() || !m_env->writeFile(path, content).isEmpty());
    }

    std::unique_ptr<TestEnvironment> m_env;
    QString m_program;
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
