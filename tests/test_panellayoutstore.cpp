#include "TestEnvironment.h"
#include "base/Backups.h"
#include "panels/PanelLayoutStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace PanelLayoutStore;
using Position = std::optional<QPoint>;

class TestPanelLayoutStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        discardState();
    }

    void cleanup()
    {
        discardState();
        m_env.reset();
    }

    void operations()
    {
        QVERIFY(customPanels().isEmpty());
        QVERIFY(!QFile::exists(filePath())); // reading writes nothing

        QCOMPARE(createPanel(QString()), "custom-1");
        QCOMPARE(createPanel("   "), "custom-2");
        QCOMPARE(createPanel("  Work  "), "custom-3");
        QCOMPARE(customPanels(),
                 (QList<CustomPanel>{
                     {"custom-1", "New panel"}, {"custom-2", "New panel 2"}, {"custom-3", "Work"}}));
        const QByteArray before = read(filePath());
        renamePanel("custom-99", "Nobody");
        QCOMPARE(read(filePath()), before); // unknown id: nothing written
        renamePanel("custom-2", "  spaced  ");
        QCOMPARE(panelName("custom-2"), "  spaced  "); // not trimmed

        assignItems({"a", "", "b"}, "custom-2");
        assignItems({"c"}, "custom-3");
        assignItems({"d"}, "documents"); // not a custom panel: stored, but no effect
        QCOMPARE(panelIdFor("a"), "custom-2");
        QCOMPARE(panelIdFor("A"), QString()); // keys are case-sensitive
        QCOMPARE(panelIdFor("d"), QString());
        setDesktopPosition("c", QPoint(10, -20));
        QCOMPARE(panelIdFor("c"), desktopPanelId());
        QVERIFY(!root().value("assignments").toObject().contains("c"));
        assignItems({"c"}, QString()); // dropped on a built-in panel
        QVERIFY(!desktopPosition("c"));
        QCOMPARE(panelIdFor("c"), QString());

        // Orders drop empty and repeated keys; an empty order is removed.
        setItemOrder("panel/custom-2", {"b", "", "a", "b"});
        QCOMPARE(itemOrder("panel/custom-2"), (QStringList{"b", "a"}));
        setItemOrder("panel/custom-3", {"x"});
        setItemOrder("panel/custom-3", {""});
        QVERIFY(!root().value("itemOrders").toObject().contains("panel/custom-3"));

        // A removed panel takes its assignments and order with it; its number is free again.
        removePanel("custom-2");
        QCOMPARE(panelIdFor("a"), QString());
        QVERIFY(itemOrder("panel/custom-2").isEmpty());
        QVERIFY(!root().value("assignments").toObject().contains("a"));
        QCOMPARE(createPanel("Again"), "custom-2");
        QCOMPARE(customPanels().last().id, "custom-2"); // creation order kept

        discardState();
        QCOMPARE(customPanels().size(), 3);
        QCOMPARE(panelIdFor("d"), QString());
        QCOMPARE(root().value("assignments").toObject().value("d").toString(), "documents");
    }

    // Members this version does not know survive its saves, and so do folder
    // panels' exact bytes, in a member of their own that a version knowing them
    // not keeps as it is.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("text") << QByteArray("/home/u/Down loads ✓");
        QTest::newRow("bytes that are not text") << QByteArray("/mnt/caf\xe9/x");
    }

    void roundTrip()
    {
        QFETCH(QByteArray, folder);
        write(filePath(), R"({"panels": [{"id": "custom-1", "name": "Ünïcode ✓", "colour": "teal"}],
                             "assignments": {}, "theme": {"accent": 3}})");
        // Temporary files of a save killed an hour ago go; one that may be in
        // progress stays, and so does the user's own file of the same age.
        const QString config = m_env->appConfigDir() + "/";
        write(config + ".panels.json.tmp-aB3xYz", "{");
        write(config + ".panels.json.tmp-Q1w2E3", "{");
        write(filePath() + ".backup", "{");
        for (const QString &old : QStringList{config + ".panels.json.tmp-aB3xYz", filePath() + ".backup"}) {
            QFile stale(old);
            QVERIFY(stale.open(QIODevice::ReadWrite) &&
                    stale.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                      QFileDevice::FileModificationTime));
        }
        const QString recycleBin = "::{645FF040-5081-101B-9F08-00AA002F954E}";
        const QString id = createPanel("Downloads", folder);
        QCOMPARE(id, "folder-1");
        assignItems({"/d/ä b.txt"}, "custom-1");
        assignItems({"/d/a.txt"}, id); // desktop items never join a folder panel
        setDesktopPosition(recycleBin, QPoint(-5, 2000));
        setItemOrder("panel", {"z", "y"});
        QCOMPARE(root().value("theme").toObject().value("accent").toInt(), 3);
        QCOMPARE(root().value("panels").toArray().at(0).toObject().value("colour").toString(), "teal");

        discardState();
        QCOMPARE(customPanels(), (QList<CustomPanel>{{"custom-1", "Ünïcode ✓"}, {id, "Downloads", folder}}));
        QCOMPARE(panelFolder(id), folder);
        QCOMPARE(panelIdFor("/d/ä b.txt"), "custom-1");
        QCOMPARE(panelIdFor("/d/a.txt"), QString());
        QCOMPARE(desktopPosition(recycleBin), Position(QPoint(-5, 2000)));
        QCOMPARE(itemOrder("panel"), (QStringList{"z", "y"}));
        QCOMPARE(root().value("panels").toArray().size(), 1);
        QCOMPARE(root().value("folderPanels").toArray().at(0).toObject().value("path").toString(),
                 QFile::decodeName(folder));
        // Nothing was thrown away, so no copy; no temporary file is left by the saves.
        QCOMPARE(beside("*panels.json*"),
                 (QStringList{".panels.json.tmp-Q1w2E3", "panels.json", "panels.json.backup"}));
    }

    void partlyReadableFileIsCopied_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("panels"); // how many still load
        QTest::addColumn<bool>("copied");
        auto row = [](const char *tag, const QByteArray &content, int panels, bool copied) {
            QTest::newRow(tag) << content << panels << copied;
        };
        row("truncated", "{\"panels\": [{\"id\": \"custom-1\", \"na", 0, true);
        row("root array", R"([{"id": "custom-1"}])", 0, true);
        row("panels as object", R"({"panels": {"id": "custom-1"}})", 0, true);
        row("assignments as array", R"({"panels": [{"id": "custom-1"}], "assignments": ["a"]})", 1, true);
        row("entry of wrong type", R"({"panels": [{"id": "custom-1"}, "custom-2"]})", 1, true);
        row("name of wrong type", R"({"panels": [{"id": "custom-1"}, {"id": "custom-2", "name": 7}]})", 1,
            true);
        row("position not whole", R"({"panels": [{"id": "custom-1"}], "desktopPositions": {"a": [0.5, 1]}})",
            1, true);
        row("position of three numbers",
            R"({"panels": [{"id": "custom-1"}], "desktopPositions": {"a": [1, 2, 3]}})", 1, true);
        row("arrangement with a screen of no width",
            R"({"panels": [{"id": "custom-1"}], "arrangements": [{"screens": [{"name": "A", "geometry": [0, 0, 0, 9],
                "scale": 1}], "windows": {}}]})",
            1, true);
        row("folder panel with a relative path", R"({"folderPanels": [{"id": "folder-1", "path": "a/b"}]})",
            0, true);
        row("folder panel bytes not base64",
            R"({"folderPanels": [{"id": "folder-1", "path": "/a", "pathBytes": "L2E*"}]})", 0, true);
        row("folder panel bytes holding a NUL",
            R"({"folderPanels": [{"id": "folder-1", "path": "/a", "pathBytes": "L2EAYg=="}]})", 0, true);
        row("clean", R"({"panels": [{"id": "custom-1"}], "later": 1})", 1, false);
        row("clean folder panel",
            R"({"folderPanels": [{"id": "folder-1", "path": "/a", "pathBytes": "L2Hp"}]})", 1, false);
        row("empty", "  \n", 0, false);
    }

    void partlyReadableFileIsCopied()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, panels);
        QFETCH(bool, copied);
        write(filePath(), content);
        if (copied)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("panels.json could not be fully read; it was kept as"));
        QCOMPARE(customPanels().size(), panels);
        QCOMPARE(beside("panels.json.unreadable-*").size(), copied ? 1 : 0);
        // The program goes on and writes a sound file holding what it read.
        createPanel("Fresh");
        QCOMPARE(root().value("panels").toArray().size() + root().value("folderPanels").toArray().size(),
                 panels + 1);
    }

    void eachArrangementKeepsItsLayoutAcrossRestarts()
    {
        using DisplayArrangement::Match;
        const DisplayArrangement::Screen left{"LEFT", QRect(0, 0, 1920, 1080), 100, {}, true};
        const DisplayArrangement::Screens two{left, {"RIGHT", QRect(1920, 0, 1920, 1080), 100, {}, false}};
        const WindowPlaces docked{{"panel", {QRect(2000, 0, 300, 400), true}}};
        const WindowPlaces undocked{{"panel", {QRect(10, 0, 300, 400), false}}};
        const QByteArray olderForm = R"({"desktopPositions": {"a": [2500, 10]}})";
        write(filePath(), olderForm);
        {
            const SaveBatch oneWrite;
            QCOMPARE(enterArrangement(two).match, Match::None);
            recordWindows(docked);
            QCOMPARE(read(filePath()), olderForm); // both changes are written when the batch ends
        }
        const Recall gone = enterArrangement({left});
        QCOMPARE(gone.match, Match::Subset);
        QCOMPARE(gone.windows, docked);
        recordWindows(undocked);
        setDesktopPosition("a", QPoint(5, 5));
        discardState();
        QCOMPARE(enterArrangement({left}).windows, undocked);
        QCOMPARE(enterArrangement(two).windows, docked);
        QCOMPARE(desktopPosition("a"), Position(QPoint(2500, 10)));
        // The file in its older form was backed up once, before the first save in the new one.
        const QStringList backups = QDir(Backups::folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(TestEnvironment::readFile(Backups::folder() + '/' + backups.first() + '/' +
                                           QFileInfo(filePath()).fileName()),
                 olderForm);
    }

    void malformedMembersAreSkippedOneByOne()
    {
        write(filePath(), R"({
            "panels": [ {"id": "custom-1", "name": "One"}, {"id": "", "name": "no id"}, {"name": "missing"},
                        {"id": "custom-1", "name": "Twin"}, {"id": "custom-2"}, {"id": 7, "name": "number id"} ],
            "assignments": { "/d/a": "custom-1", "/d/b": 5, "/d/c": "custom-9" },
            "itemOrders": { "panel/custom-1": ["x", "", 3, "x", "y"], "panel/bad": "x" },
            "desktopPositions": { "p1": [10.7, 20], "p2": [1], "p3": ["1", "2"], "p4": [1e300, -3],
                                  "p5": {"x": 1}, "p6": [-2147483648, 2147483647] }
        })");
        QCOMPARE(customPanels(),
                 (QList<CustomPanel>{{"custom-1", "One"}, {"custom-1", "Twin"}, {"custom-2", QString()}}));
        QCOMPARE(panelIdFor("/d/a"), "custom-1");
        QCOMPARE(panelIdFor("/d/c"), QString());
        QCOMPARE(itemOrder("panel/custom-1"), (QStringList{"x", "y"}));
        for (const char *key : {"p2", "p3", "p5"})
            QVERIFY2(!desktopPosition(key), key);
        // Numbers that are not whole or beyond the int range read as 0.
        QCOMPARE(desktopPosition("p1"), Position(QPoint(0, 20)));
        QCOMPARE(desktopPosition("p4"), Position(QPoint(0, -3)));
        QCOMPARE(desktopPosition("p6"), Position(QPoint(INT_MIN, INT_MAX)));
    }

    // What cannot be read is never saved over (the rule is DamagedFile's; this proves the store follows it).
    void unreadableFileIsNeverSavedOver()
    {
        const QByteArray path = QFile::encodeName(filePath());
        QDir().mkpath(m_env->appConfigDir());
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        struct stat before = {};
        QCOMPARE(::lstat(path.constData(), &before), 0);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("panels.json: .*kept in memory only"));
        QVERIFY(customPanels().isEmpty());
        const QString id = createPanel("In memory");
        assignItems({"a"}, id);
        QCOMPARE(panelIdFor("a"), id); // the program works on

        struct stat after = {};
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(beside("panels.json.*"), QStringList());
    }

    void failedSaveIsReportedAndRetried()
    {
        // A file where the folder belongs makes every save fail.
        const QString folder = m_env->appConfigDir();
        write(folder, "in the way");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot save the panel layout: "));
        const QString first = createPanel("First");
        QCOMPARE(panelName(first), "First");

        QVERIFY(QFile::remove(folder));
        createPanel("Second");
        discardState();
        QCOMPARE(customPanels().size(), 2);
    }

    void symbolicLink_data()
    {
        QTest::addColumn<QByteArray>("target"); // content of the linked file
        QTest::addColumn<bool>("writtenThrough");
        QTest::newRow("our layout") << QByteArray(R"({"panels": [{"id": "custom-1", "name": "Kept"}]})")
                                    << true;
        QTest::newRow("empty object") << QByteArray("{}") << true;
        QTest::newRow("another program's JSON") << QByteArray(R"({"volume": 11})") << false;
        QTest::newRow("not JSON") << QByteArray("export PATH=/opt/bin\n") << false;
    }

    void symbolicLink()
    {
        QFETCH(QByteArray, target);
        QFETCH(bool, writtenThrough);
        const QString dotfiles = m_env->home() + "/dotfiles/panels.json";
        write(dotfiles, target);
        QDir().mkpath(m_env->appConfigDir());
        QVERIFY(QFile::link(dotfiles, filePath()));

        createPanel("New");
        QCOMPARE(QFileInfo(filePath()).isSymLink(), writtenThrough);
        const QByteArray linked = read(dotfiles);
        if (writtenThrough) {
            QCOMPARE(QJsonDocument::fromJson(linked)["panels"].toArray().last()["name"].toString(), "New");
            QCOMPARE(beside("panels.json.*"), QStringList());
        } else {
            QCOMPARE(linked, target); // what the link led to is untouched
            QCOMPARE(root()["panels"].toArray().last()["name"].toString(), "New");
        }
        discardState();
        QCOMPARE(customPanels().last().name, "New");
    }

private:
    static QByteArray read(const QString &path) { return TestEnvironment::readFile(path); }
    static QJsonObject root() { return QJsonDocument::fromJson(read(filePath())).object(); }
    void write(const QString &path, const QByteArray &content) const
    {
        QVERIFY(!m_env->writeFile(path, content).isEmpty());
    }
    QStringList beside(const char *pattern) const
    {
        return QDir(m_env->appConfigDir())
            .entryList({pattern}, QDir::AllEntries | QDir::System | QDir::Hidden);
    }

    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestPanelLayoutStore)
#include "test_panellayoutstore.moc"
