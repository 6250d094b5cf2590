#include "TestEnvironment.h"
#include "panels/PanelLayoutStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace PanelLayoutStore;
using Position = std::optional<QPoint>;

namespace {

QByteArray rawFile()
{
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One member of the file's root object.
QJsonValue stored(const char *member)
{
    return QJsonDocument::fromJson(rawFile()).object().value(QString(member));
}

} // namespace

class TestPanelLayoutStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void noFileMeansEmpty();
    void panelLifecycle();
    void assignmentsPositionsAndOrders();
    void roundTripThroughFile();
    void loadSkipsMalformedMembers();
    void brokenFileIsKept_data();
    void brokenFileIsKept();

private:
    QStringList filesBeside(const char *pattern) const
    {
        return QDir(m_env->appConfigDir()).entryList({pattern}, QDir::Files);
    }

    std::unique_ptr<TestEnvironment> m_env;
};

void TestPanelLayoutStore::init()
{
    m_env = std::make_unique<TestEnvironment>();
    discardState();
}

void TestPanelLayoutStore::cleanup()
{
    discardState();
    m_env.reset();
}

void TestPanelLayoutStore::noFileMeansEmpty()
{
    QVERIFY(customPanels().isEmpty());
    QCOMPARE(panelIdFor("/d/a.txt"), QString());
    QVERIFY(!desktopPosition("/d/a.txt"));
    QVERIFY(!QFile::exists(filePath())); // reading writes nothing

    assignItems({}, QString()); // even an empty change saves
    QCOMPARE(QJsonDocument::fromJson(rawFile()).object().keys(),
             (QStringList{"assignments", "desktopPositions", "itemOrders", "panels"}));

    // A folder where the file belongs: the state is kept in memory though the write fails.
    QVERIFY(QFile::remove(filePath()) && QDir().mkpath(filePath()));
    discardState();
    QVERIFY(customPanels().isEmpty());
    const QString id = createPanel("In memory");
    QCOMPARE(panelName(id), "In memory");
    QVERIFY(QFileInfo(filePath()).isDir());
}

void TestPanelLayoutStore::panelLifecycle()
{
    QCOMPARE(createPanel(QString()), "custom-1");
    QCOMPARE(createPanel("   "), "custom-2");
    QCOMPARE(createPanel("  Work  "), "custom-3");
    QCOMPARE(createPanel("Work"), "custom-4");
    QCOMPARE(customPanels(), (QList<CustomPanel>{{"custom-1", "New panel"},
                                                 {"custom-2", "New panel 2"},
                                                 {"custom-3", "Work"},
                                                 {"custom-4", "Work"}})); // caller's names may repeat
    renamePanel("custom-2", "Other");
    QCOMPARE(createPanel(QString()), "custom-5");
    QCOMPARE(panelName("custom-5"), "New panel 2");

    assignItems({"a", "b"}, "custom-2");
    assignItems({"c"}, "custom-3");
    setItemOrder(settingsPrefix("custom-2"), {"b", "a"});
    setItemOrder(settingsPrefix("custom-3"), {"c"});
    const QByteArray before = rawFile();
    renamePanel("custom-99", "Nobody");
    QCOMPARE(rawFile(), before); // unknown id: nothing written
    renamePanel("custom-3", "  spaced  ");
    QCOMPARE(panelName("custom-3"), "  spaced  "); // not trimmed

    // A removed panel takes its assignments and order with it; its number is free again.
    removePanel("custom-2");
    QVERIFY(!isCustomPanel("custom-2"));
    QCOMPARE(panelIdFor("a"), QString());
    QCOMPARE(panelIdFor("c"), "custom-3");
    QVERIFY(itemOrder(settingsPrefix("custom-2")).isEmpty());
    QVERIFY(!stored("assignments").toObject().contains("a"));
    QVERIFY(!stored("itemOrders").toObject().contains(settingsPrefix("custom-2")));
    QCOMPARE(createPanel("Again"), "custom-2");
    QCOMPARE(customPanels().last().id, "custom-2"); // creation order kept

    discardState();
    QCOMPARE(customPanels().size(), 5);
    QCOMPARE(panelName("custom-2"), "Again");
    QCOMPARE(itemOrder(settingsPrefix("custom-3")), QStringList{"c"});
}

void TestPanelLayoutStore::assignmentsPositionsAndOrders()
{
    const QString id = createPanel(QString());
    assignItems({"/d/a", QString(), "/d/b"}, id);
    QCOMPARE(panelIdFor("/d/a"), id);
    QCOMPARE(panelIdFor("/D/A"), QString()); // keys are case-sensitive

    setDesktopPosition("/d/a", QPoint(10, -20));
    QCOMPARE(panelIdFor("/d/a"), desktopPanelId());
    QCOMPARE(desktopPosition("/d/a"), Position(QPoint(10, -20)));
    QVERIFY(!stored("assignments").toObject().contains("/d/a"));

    assignItems({"/d/a"}, id);
    QVERIFY(!desktopPosition("/d/a"));
    QCOMPARE(panelIdFor("/d/a"), id);

    assignItems({"/d/a"}, QString()); // dropped on a built-in panel
    QCOMPARE(panelIdFor("/d/a"), QString());

    // An assignment to something that is not a custom panel stays stored but has no effect.
    assignItems({"/d/c"}, "documents");
    QCOMPARE(panelIdFor("/d/c"), QString());
    QCOMPARE(stored("assignments").toObject().value("/d/c").toString(), "documents");

    setDesktopPosition(QString(), QPoint(1, 1));
    QVERIFY(!stored("desktopPositions").toObject().contains(QString()));

    // Item orders drop empty and repeated keys; an empty order is removed.
    setItemOrder("panel/documents", {"a", "", "b", "a", "A"});
    QCOMPARE(itemOrder("panel/documents"), (QStringList{"a", "b", "A"}));
    setItemOrder("panel/documents", {""});
    QVERIFY(!stored("itemOrders").toObject().contains("panel/documents"));
    setItemOrder(QString(), {"x"});
    QVERIFY(!stored("itemOrders").toObject().contains(QString()));
}

void TestPanelLayoutStore::roundTripThroughFile()
{
    const QString id = createPanel("Ünïcode ✓");
    const QString recycleBin = "::{645FF040-5081-101B-9F08-00AA002F954E}";
    assignItems({"/d/ä b.txt"}, id);
    setDesktopPosition(recycleBin, QPoint(-5, 2000));
    setItemOrder("panel", {"z", "y"});
    QCOMPARE(stored("panels").toArray().at(0).toObject().value("name").toString(), "Ünïcode ✓");
    QCOMPARE(stored("desktopPositions").toObject().value(recycleBin).toArray(), (QJsonArray{-5, 2000}));

    discardState();
    QCOMPARE(panelIdFor("/d/ä b.txt"), id);
    QCOMPARE(desktopPosition(recycleBin), Position(QPoint(-5, 2000)));
    QCOMPARE(itemOrder("panel"), (QStringList{"z", "y"}));
    QCOMPARE(customPanels(), (QList<CustomPanel>{{id, "Ünïcode ✓"}}));
    // No temporary file is left beside the layout.
    QCOMPARE(filesBeside("panels.json*"), QStringList{"panels.json"});
}

void TestPanelLayoutStore::loadSkipsMalformedMembers()
{
    m_env->writeFile(QDir(m_env->home()).relativeFilePath(filePath()), R"({
        "panels": [ {"id": "custom-1", "name": "One"}, {"id": "", "name": "no id"}, {"name": "missing"},
                    "not an object", {"id": "custom-1", "name": "Twin"}, {"id": "custom-2"},
                    {"id": 7, "name": "number id"} ],
        "assignments": { "/d/a": "custom-1", "/d/b": 5, "/d/c": "custom-9", "": "custom-1" },
        "itemOrders": { "panel/custom-1": ["x", "", 3, "x", "y"], "panel/bad": "x", "panel/empty": [""] },
        "desktopPositions": { "p1": [10.7, 20], "p2": [1], "p3": ["1", "2"], "p4": [1e300, -3],
                              "p5": [1, 2, 3], "p6": {"x": 1}, "p7": [-2147483648, 2147483647],
                              "p8": [2147483648, 0] }
    })");
    QCOMPARE(customPanels(),
             (QList<CustomPanel>{{"custom-1", "One"}, {"custom-1", "Twin"}, {"custom-2", QString()}}));
    QCOMPARE(panelName("custom-1"), "One");
    QCOMPARE(panelIdFor("/d/a"), "custom-1");
    QCOMPARE(panelIdFor("/d/b"), QString());
    QCOMPARE(panelIdFor("/d/c"), QString());
    QCOMPARE(itemOrder("panel/custom-1"), (QStringList{"x", "y"}));
    QVERIFY(itemOrder("panel/bad").isEmpty());
    QVERIFY(itemOrder("panel/empty").isEmpty());
    for (const char *key : {"p2", "p3", "p5", "p6"})
        QVERIFY2(!desktopPosition(key), key);
    // Numbers that are not whole or beyond the int range read as 0.
    QCOMPARE(desktopPosition("p1"), Position(QPoint(0, 20)));
    QCOMPARE(desktopPosition("p4"), Position(QPoint(0, -3)));
    QCOMPARE(desktopPosition("p7"), Position(QPoint(INT_MIN, INT_MAX)));
    QCOMPARE(desktopPosition("p8"), Position(QPoint(0, 0)));
    // A readable file is not copied aside.
    QVERIFY(filesBeside("panels.json.*").isEmpty());
}

void TestPanelLayoutStore::brokenFileIsKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("copied");
    QTest::newRow("truncated") << QByteArray(R"({"panels": [{"id": "custom-1", "na)") << true;
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\xff", 4) << true;
    QTest::newRow("array at top") << QByteArray("[1, 2, 3]") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestPanelLayoutStore::brokenFileIsKept()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, copied);
    m_env->writeFile(QDir(m_env->home()).relativeFilePath(filePath()), content);
    QVERIFY(customPanels().isEmpty());
    const QStringList copies = filesBeside("panels.json.unreadable-*");
    QCOMPARE(copies.size(), copied ? 1 : 0);
    if (copied) {
        QFile copy(QDir(m_env->appConfigDir()).filePath(copies.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), content);
    }
    // The program still works and writes a sound file.
    createPanel("Fresh");
    QCOMPARE(stored("panels").toArray().size(), 1);
}

QTEST_GUILESS_MAIN(TestPanelLayoutStore)
#include "test_panellayoutstore.moc"
