#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "base/SafeFile.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/FreedesktopItemActions.h"
#include "shell/freedesktop/OwnEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// Writes its first argument and two variables of the environment it got into the marker file it is given.
QString writeScript(const TestEnvironment &env, const QString &name, const QString &marker)
{
    return env.writeFile(name,
                         "#!/bin/sh\nprintf '%s|%s|%s' \"$1\" \"${LARKSPAN_TEST_OURS-unset}\" "
                         "\"${LARKSPAN_TEST_USERS-unset}\" > '" +
                             marker.toUtf8() + "'\n",
                         true);
}

} // namespace

// Stands in for a file manager on a private bus: it answers once the test lets
// it, refuses when told to, and remembers what it showed.
class FakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QSemaphore answers;
    std::atomic<bool> refuse = false;

    QStringList shown() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_shown;
    }

public Q_SLOTS:
    void ShowItemProperties(const QStringList &uris, const QString &)
    {
        answers.acquire();
        if (refuse) {
            sendErrorReply(QDBusError::Failed, "refused");
            return;
        }
        const QMutexLocker lock(&m_mutex);
        m_shown += uris;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_shown;
};

class TestItemActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_defaultMarker = m_env->home() + "/opened-by-default-app";
        m_launcherMarker = m_env->home() + "/launcher-ran";
        // What the program sets for itself (once before the user's own value was
        // known, once over it) is not what the programs the user opens get.
        qputenv("LARKSPAN_TEST_USERS", "the user's");
        OwnEnvironment::set("LARKSPAN_TEST_USERS", "ours");
        OwnEnvironment::set("LARKSPAN_TEST_USERS", "ours again");
        OwnEnvironment::set("LARKSPAN_TEST_OURS", "ours");
        QCOMPARE(qgetenv("LARKSPAN_TEST_USERS"), "ours again");

        // The default application for documents and folders, registered only in this home.
        const QString opener = writeScript(*m_env, "bin/opener", m_defaultMarker);
        m_env->writeFile(".local/share/applications/test-opener.desktop",
                         "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + opener.toUtf8() + " %f\n");
        m_env->writeFile(".config/mimeapps.list", "[Default Applications]\ntext/plain=test-opener.desktop\n"
                                                  "inode/directory=test-opener.desktop\n");

        const QString runner = writeScript(*m_env, "bin/runner", m_launcherMarker);
        const QByteArray launcher =
            "[Desktop Entry]\nType=Application\nName=Runner\nExec=" + runner.toUtf8() + " ran\n";
        m_env->writeFile("Desktop/runner.desktop", launcher, true);
        m_env->writeFile("Desktop/untrusted.desktop", launcher);
        m_env->writeFile("Desktop/notes.txt", "hello");
        QDir().mkpath(m_env->desktop() + "/Projects");

        m_model = std::make_unique<DesktopModel>(std::make_unique<FreedesktopDesktopSource>(m_env->desktop()),
                                                 nullptr, std::make_unique<FreedesktopItemActions>());
    }

    void open_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("opened");
        // What the default application got, relative to the home folder; launchers write "ran".
        // Each also sees the user's environment, not the program's own.
        QTest::addColumn<QString>("content");
        QTest::newRow("document in the default application") << "notes.txt" << true << "Desktop/notes.txt";
        QTest::newRow("folder in the default application") << "Projects" << true << "Desktop/Projects";
        QTest::newRow("home in the default application") << "Home" << true << ".";
        QTest::newRow("trusted launcher runs") << "Runner" << true << "ran";
        QTest::newRow("untrusted launcher does not run") << "untrusted.desktop" << false << "";
    }

    void open()
    {
        QFETCH(QString, item);
        QFETCH(bool, opened);
        QFETCH(QString, content);
        const QString markerPath = content.isEmpty() || content == "ran" ? m_launcherMarker : m_defaultMarker;
        QFile::remove(markerPath);
        const QModelIndex index = indexOf(item);
        QVERIFY(index.isValid());
        QCOMPARE(m_model->openItem(index), opened);
        if (!opened) {
            QTest::qWait(500);
            QVERIFY(!QFile::exists(markerPath));
            return;
        }
        const QString expected = content == "ran" ? content : QDir(m_env->home()).filePath(content);
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(SafeFile::read(markerPath, 4096).data),
                                  QDir::cleanPath(expected) + "|unset|the user's", 10000);
    }

    void refusalsAndProperties()
    {
        QStandardItemModel other(1, 1);
        QVERIFY(!m_model->openItem(QModelIndex()));
        QVERIFY(!m_model->openItem(other.index(0, 0)));
        QVERIFY(!m_model->invokeVerb(QModelIndex(), "properties"));
        QVERIFY(!m_model->invokeVerb(indexOf("notes.txt"), "no-such-verb"));
        // No session bus in the test environment at all, so no file manager to ask.
        QVERIFY(!m_model->invokeVerb(indexOf("notes.txt"), "properties"));

        // Offered for activation, but what would start it exits at once.
        m_env->writeFile("dbus-services/fm.service",
                         "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec=/bin/false\n");
        PrivateBus bus(m_env->home() + "/dbus-services");
        QVERIFY2(bus.isRunning(), "dbus-daemon is needed (scripts/setup.sh installs it)");
        QDBusConnection client = bus.connect("client");
        QVERIFY(
            client.interface()->activatableServiceNames().value().contains("org.freedesktop.FileManager1"));
        FreedesktopItemActions actions(client);
        const QByteArray notes = QFile::encodeName(m_env->desktop() + "/notes.txt");
        int refusals = 0;
        const auto refused = [&refusals] {
            ++refusals;
        };
        // Nothing waits for the answer; the failure to start is reported when it comes.
        QVERIFY(actions.invokeVerb(notes, "properties", refused));
        QTRY_COMPARE_WITH_TIMEOUT(refusals, 1, 10000);

        // On a thread of its own, holding back its answers until the test lets it.
        auto &fileManager = *new FakeFileManager;
        auto stop = qScopeGuard([&fileManager] { fileManager.answers.release(100); });
        QVERIFY(bus.serve(&fileManager, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1"));
        // A file manager that has not answered yet keeps nothing waiting.
        QVERIFY(actions.invokeVerb(notes, "properties", refused));
        QVERIFY(
            actions.invokeVerb(FreedesktopDesktopSource::trashParsingName().toUtf8(), "properties", refused));
        fileManager.answers.release(2);
        QTRY_COMPARE_WITH_TIMEOUT(
            fileManager.shown(),
            (QStringList{QUrl::fromLocalFile(m_env->desktop() + "/notes.txt").toString(), "trash:///"}),
            10000);
        QCOMPARE(refusals, 1);
        // An answer that says no is a failure.
        fileManager.refuse = true;
        QVERIFY(actions.invokeVerb(notes, "properties", refused));
        fileManager.answers.release();
        QTRY_COMPARE_WITH_TIMEOUT(refusals, 2, 10000);
    }

private:
    QModelIndex indexOf(const QString &name) const
    {
        const QModelIndexList found =
            m_model->match(m_model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        return found.value(0);
    }

    // GIO reads the XDG folders once per process, so one home serves every test; it outlives the model.
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<DesktopModel> m_model;
    QString m_defaultMarker;
    QString m_launcherMarker;
};

QTEST_MAIN(TestItemActions)
#include "test_itemactions.moc"
