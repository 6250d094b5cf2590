#include "TestEnvironment.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"

#include <QtTest>

namespace {

// The real desktop folder source, counting how often the desktop is read; the
// count outlives the model, so reads after its destruction would show.
class CountingSource : public FreedesktopDesktopSource
{
public:
    CountingSource(const QString &folder, std::shared_ptr<int> reads)
        : FreedesktopDesktopSource(folder)
        , m_reads(std::move(reads))
    {}

    bool enumerate(bool includeHidden, QList<DesktopEntry> &out) override
    {
        ++*m_reads;
        return FreedesktopDesktopSource::enumerate(includeHidden, out);
    }

private:
    std::shared_ptr<int> m_reads;
};

// How long a test waits for the watcher to report what it did.
constexpr int signalTimeoutMs = 5000;

} // namespace

class TestDesktopWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_reads = std::make_shared<int>(0);
    }

    void burstGivesOneReload_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("100 files within a second") << 100 << 9;
        QTest::newRow("a change while the timer runs postpones it") << 2 << 150;
    }

    void burstGivesOneReload()
    {
        QFETCH(int, files);
        QFETCH(int, gapMs);
        auto model =
            std::make_unique<DesktopModel>(std::make_unique<CountingSource>(m_env->desktop(), m_reads));
        QCOMPARE(*m_reads, 1);
        QSignalSpy reloaded(model.get(), &DesktopModel::reloaded);

        QElapsedTimer sinceLast;
        for (int i = 0; i < files; ++i) {
            if (i > 0)
                QTest::qWait(gapMs);
            m_env->writeFile(m_env->desktop() + QStringLiteral("/file %1.txt").arg(i), "x");
            sinceLast.start();
        }
        QCOMPARE(reloaded.count(), 0);
        QVERIFY(reloaded.wait(2000));
        const qint64 delay = sinceLast.elapsed();
        // Qt's coarse timers may fire up to 5 % early.
        QVERIFY2(delay >= 235 && delay < 700, qPrintable(QString::number(delay)));
        QTest::qWait(400);
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(*m_reads, 2);
        QCOMPARE(model->rowCount(), 3 + files); // Home, Computer and Trash besides the files

        // Nothing is read once the model is gone, not even a change it had seen.
        m_env->writeFile(m_env->desktop() + "/pending.txt", "x");
        QTest::qWait(50); // the change is seen and the reload timer runs
        model.reset();
        const int reads = *m_reads;
        m_env->writeFile(m_env->desktop() + "/after.txt", "x");
        QTest::qWait(500);
        QCOMPARE(*m_reads, reads);
    }

    void itemsChangedInPlace_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown"); // whether an item of that name shows after the change
        QTest::newRow("launcher's name edited") << QString("edit") << QString("Renamed") << true;
        QTest::newRow("launcher made executable") << QString("chmod") << QString("Original") << true;
        QTest::newRow("picture overwritten") << QString("picture") << QString("Original") << true;
        // Appending changes the file but not the folder: only the file's own watch sees it.
        QTest::newRow("hidden list appended to") << QString("hide") << QString("secret.txt") << false;
    }

    void itemsChangedInPlace()
    {
        QFETCH(QString, change);
        QFETCH(QString, name);
        const QString launcher = m_env->desktop() + "/app.desktop";
        const QString picture = m_env->desktop() + "/photo.png";
        const QString hiddenList = m_env->desktop() + "/.hidden";
        m_env->writeFile(launcher, "[Desktop Entry]\nType=Application\nName=Original\nExec=true\n",
                         change != "chmod");
        m_env->writeFile(picture, "red");
        m_env->writeFile(m_env->desktop() + "/secret.txt", "x");
        m_env->writeFile(hiddenList, "");
        DesktopModel model(std::make_unique<CountingSource>(m_env->desktop(), m_reads));
        QSignalSpy reloaded(&model, &DesktopModel::reloaded);

        if (change == "edit") {
            m_env->writeFile(launcher, "[Desktop Entry]\nType=Application\nName=Renamed\nExec=true\n");
        } else if (change == "chmod") {
            QVERIFY(QFile::setPermissions(launcher, QFile::permissions(launcher) | QFile::ExeOwner));
        } else if (change == "hide") {
            QFile list(hiddenList);
            QVERIFY(list.open(QIODevice::Append) && list.write("secret.txt\n") > 0);
        } else {
            QVERIFY(!m_env->writeFile(picture, "blue").isEmpty());
        }
        QVERIFY(reloaded.wait(signalTimeoutMs));
        QTEST(!model.match(model.index(0, 0), Qt::DisplayRole, name).isEmpty(), "shown");
    }

    void folderComesAndGoes_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the home folder
        QTest::addColumn<bool>("existsAtStart");
        QTest::newRow("removed and created again") << "Desktop" << true;
        QTest::newRow("created after start") << "Desktop" << false;
        QTest::newRow("created with its parents after start") << "later/deeper/Desktop" << false;
    }

    void folderComesAndGoes()
    {
        QFETCH(QString, folder);
        QFETCH(bool, existsAtStart);
        const QString path = m_env->home() + '/' + folder;
        QDir(m_env->desktop()).removeRecursively();
        if (existsAtStart) {
            QVERIFY(QDir().mkpath(path));
            m_env->writeFile(path + "/first.txt", "x");
        }
        DesktopModel model(std::make_unique<CountingSource>(path, m_reads));
        QCOMPARE(model.rowCount(), 3 + (existsAtStart ? 1 : 0)); // Home, Computer and Trash besides
        if (existsAtStart) {
            QVERIFY(QDir(path).removeRecursively());
            QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 3, signalTimeoutMs);
        }
        QVERIFY(QDir().mkpath(path));
        QTRY_COMPARE_WITH_TIMEOUT(*m_reads, existsAtStart ? 3 : 2, signalTimeoutMs);
        m_env->writeFile(path + "/second.txt", "x");
        QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 4, signalTimeoutMs);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<int> m_reads;
};

QTEST_MAIN(TestDesktopWatch)
#include "test_desktopwatch.moc"
