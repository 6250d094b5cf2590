#include "TestEnvironment.h"
#include "base/Backups.h"
#include "base/Settings.h"
#include "panels/PanelLayoutStore.h"
#include "snapshots/LayoutHost.h"
#include "snapshots/LayoutKeeper.h"
#include "snapshots/LayoutSnapshot.h"
#include "snapshots/SnapshotFolder.h"

#include <QtTest>

namespace {

// Everything a restore may change: the layout file and the panel settings.
using Stored = std::pair<QJsonObject, QVariantMap>;

Stored stored()
{
    QVariantMap settings;
    const QStringList keys = Settings::instance()->keysUnder("panel");
    for (const QString &key : keys)
        settings.insert(key, Settings::instance()->value(key));
    return {QJsonDocument::fromJson(TestEnvironment::readFile(PanelLayoutStore::filePath())).object(),
            settings};
}

// The panels as far as a snapshot sees them: what was stored when they let go of it, and reloads.
struct CountingHost : LayoutHost
{
    Stored atRelease;
    int reloads = 0;
    void storeCurrentLayout() override {}
    void releaseLayout() override { atRelease = stored(); }
    void storedLayoutReplaced() override { ++reloads; }
};

void setStored(const TestEnvironment &env, const QByteArray &layout, const QVariantMap &settings)
{
    TestEnvironment::settings().remove("panel");
    for (auto it = settings.constBegin(); it != settings.constEnd(); ++it)
        Settings::instance()->setValue(it.key(), it.value());
    QVERIFY(!env.writeFile(PanelLayoutStore::filePath(), layout).isEmpty());
    PanelLayoutStore::discardState();
}

const QDateTime backupTime(QDate(2026, 12, 7), QTime(19, 53, 0));

} // namespace

class TestSnapshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        PanelLayoutStore::discardState();
    }

    void restoreCanBeUndone_data()
    {
        QTest::addColumn<QByteArray>("layoutA");
        QTest::addColumn<QVariantMap>("settingsA");
        QTest::addColumn<QByteArray>("layoutB");
        QTest::addColumn<QVariantMap>("settingsB");
        const QByteArray custom = R"({"panels":[{"id":"custom-1","name":"Work","future":1}],
            "assignments":{"file:///a.txt":"custom-1"},"perArrangement":{"2x1920":{}}})";
        // Items not on this desktop keep their places for when they appear.
        const QByteArray loose = R"({"desktopPositions":{"file:///gone.txt":[40,60]}})";
        const QVariantMap placed{{"panel/custom-1/geometry", QRect(10, 20, 300, 200)},
                                 {"panel/iconSize", 64},
                                 {"panel/documents/sortKey", "name"}};
        const QVariantMap other{{"panel/documents/geometry", QRect(500, 20, 200, 400)},
                                {"panel/documents/collapsed", true},
                                {"panel/layoutLocked", true}};
        QTest::newRow("custom panels, then none") << custom << placed << QByteArray("{}") << other;
        QTest::newRow("loose items of absent files") << loose << other << custom << placed;
        QTest::newRow("same layout, other settings") << custom << other << custom << placed;
    }

    void restoreCanBeUndone()
    {
        QFETCH(QByteArray, layoutA);
        QFETCH(QVariantMap, settingsA);
        QFETCH(QByteArray, layoutB);
        QFETCH(QVariantMap, settingsB);
        CountingHost host;
        LayoutKeeper keeper(&host);

        setStored(*m_env, layoutA, settingsA);
        const Stored a = stored();
        const QString snapshotA = keeper.saveSnapshot("A / first");
        QVERIFY(QFileInfo(snapshotA).fileName().endsWith("-A _ first.json"));
        setStored(*m_env, layoutB, settingsB);
        const Stored b = stored();

        QVERIFY(keeper.restoreFrom(snapshotA));
        QCOMPARE(stored(), a);
        // The panels let go of the layout before it is replaced, or they would write over it.
        QVERIFY(host.atRelease == b && host.reloads == 1);
        QCOMPARE(QDir(Backups::folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);

        const QList<SnapshotFolder::Entry> entries = SnapshotFolder::list(SnapshotFolder::folder());
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries.first().automatic && entries.first().name.contains("A / first"));
        QVERIFY(keeper.restoreFrom(entries.first().path));
        QCOMPARE(stored(), b);
    }

    void foreignFileRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("accepted");
        const auto file = [](const char *layout, const char *settings) -> QByteArray {
            return QByteArray(R"({"larkspanLayout":1,"name":"x","created":"2026-12-07T10:00:00",)"
                              R"("automatic":false,"layout":)") +
                   layout + R"(,"settings":)" + settings + "}";
        };
        QTest::newRow("a layout") << file(R"({"panels":[]})", R"({"panel/iconSize":64})") << true;
        QTest::newRow("not JSON") << QByteArray("panels: none") << false;
        QTest::newRow("another program's JSON") << QByteArray(R"({"layout":{},"settings":{}})") << false;
        QTest::newRow("a bare layout file") << QByteArray(R"({"panels":[]})") << false;
        QTest::newRow("broken layout") << file(R"({"panels":5})", "{}") << false;
        QTest::newRow("key beyond the panels") << file("{}", R"({"ui/language":"de"})") << false;
        QTest::newRow("huge number") << file("{}", R"({"panel/iconSize":1e300})") << false;
        QTest::newRow("rect out of range")
            << file("{}", R"({"panel/x/geometry":{"rect":[0,0,-5,9]}})") << false;
        QTest::newRow("newer format")
            << file("{}", "{}").replace(R"("larkspanLayout":1)", R"("larkspanLayout":2)") << false;
    }

    void foreignFileRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, accepted);
        setStored(*m_env, R"({"panels":[{"id":"custom-1","name":"Work"}]})", {{"panel/iconSize", 96}});
        const Stored before = stored();
        CountingHost host;
        LayoutKeeper keeper(&host);
        QSignalSpy notices(&keeper, &LayoutKeeper::noticeRequested);

        QCOMPARE(keeper.restoreFrom(m_env->writeFile("import.json", content)), accepted);
        QCOMPARE(host.reloads, int(accepted));
        QCOMPARE(notices.size(), int(!accepted));
        QCOMPARE(stored() == before, !accepted);
        // What it replaced is kept, to be restored in turn.
        QCOMPARE(SnapshotFolder::list(SnapshotFolder::folder()).size(), int(accepted));
    }

    void backupRotation_data()
    {
        QTest::addColumn<int>("existing");
        QTest::addColumn<QString>("failingFile"); // a copy whose write fails
        QTest::addColumn<bool>("made");
        QTest::newRow("first") << 0 << "" << true;
        QTest::newRow("seventh") << 6 << "" << true;
        QTest::newRow("eighth drops the oldest") << 7 << "" << true;
        QTest::newRow("failed write keeps all") << 7 << "b.json" << false;
        QTest::newRow("failed write keeps the only one") << 1 << "a.json" << false;
    }

    void backupRotation()
    {
        QFETCH(int, existing);
        QFETCH(QString, failingFile);
        QFETCH(bool, made);
        const QString folder = m_env->home() + "/backups";
        QStringList before;
        for (int day = existing; day > 0; --day) {
            // Later in the day than now: a backup is due once a day, not every 24 hours.
            before.append(backupTime.addDays(-day).addSecs(3 * 3600).toString("yyyyMMdd-HHmmss"));
            m_env->writeFile(folder + "/" + before.last() + "/a.json", "old");
        }
        m_env->writeFile(folder + "/.partial-20200101-000000/a.json", "cut short by a kill");
        const QList<Backups::Source> sources{{"a.json", m_env->writeFile("a", "new a")},
                                             {"b.json", m_env->writeFile("b", "new b")},
                                             {"c.json", m_env->home() + "/missing"}};
        const auto write = [&](const QString &path, const QByteArray &data) {
            if (!failingFile.isEmpty() && path.endsWith(failingFile))
                return AtomicSave::Result{false, "disk full"};
            return AtomicSave::save(path, data);
        };

        QVERIFY(Backups::due(Backups::newest(folder), backupTime));
        QString error;
        QCOMPARE(Backups::make(folder, sources, backupTime, &error, write), made);
        QCOMPARE(Backups::due(Backups::newest(folder), backupTime), !made);
        const QString name = backupTime.toString("yyyyMMdd-HHmmss");
        const QStringList expected =
            made ? (before + QStringList{name}).mid(std::max(0, existing + 1 - 7)) : before;
        QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden), expected);
        if (made) {
            QCOMPARE(QDir(folder + "/" + name).entryList(QDir::Files), (QStringList{"a.json", "b.json"}));
            QCOMPARE(TestEnvironment::readFile(folder + "/" + name + "/b.json"), "new b");
            QCOMPARE(Backups::newest(folder), backupTime);
        }
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stem"); // between the time and ".json"
        QTest::newRow("path") << QString("../../etc/passwd") << "_.._etc_passwd";
        QTest::newRow("reserved and control") << QString("a:b*c\nd") << "a_b_c_d";
        QTest::newRow("nothing left") << QString(" ... ") << "layout";
        QTest::newRow("long, cut before a pair")
            << QString(59, 'x') + QString::fromUtf8("\xF0\x9F\x98\x80") << QString(59, 'x');
    }

    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, stem);
        QCOMPARE(LayoutSnapshot::fileName(name, backupTime), "20261207-195300-" + stem + ".json");
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSnapshots)
#include "test_snapshots.moc"
