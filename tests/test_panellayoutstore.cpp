#include "TestEnvironment.h"
#include "panels/PanelLayoutStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace PanelLayoutStore;

class TestPanelLayoutStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void noFileMeansEmpty();
    void createNamesAndIds();
    void renameAndRemove();
    void assignmentsAndPositions();
    void itemOrders_data();
    void itemOrders();
    void roundTripThroughFile();
    void loadSkipsMalformedMembers();
    void brokenFileIsKept_data();
    void brokenFileIsKept();
    void fileIsDirectory();

private:
    QJsonObject readFile() const;
    void writeFile(const QByteArray &content) const;
    void restart() const { discardState(); }

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

QJsonObject TestPanelLayoutStore::readFile() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void TestPanelLayoutStore::writeFile(const QByteArray &content) const
{
    QDir().mkpath(m_env->appConfigDir());
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

void TestPanelLayoutStore::noFileMeansEmpty()
{
    QVERIFY(!QFile::exists(filePath()));
    QVERIFY(customPanels().isEmpty());
    QCOMPARE(panelIdFor(QStringLiteral("/d/a.txt")), QString());
    QVERIFY(!desktopPosition(QStringLiteral("/d/a.txt")));
    QVERIFY(!QFile::exists(filePath())); // reading writes nothing

    assignItems({}, QString()); // even an empty change saves
    QVERIFY(QFile::exists(filePath()));
    const QJsonObject root = readFile();
    QCOMPARE(root.keys(), (QStringList{"assignments", "desktopPositions", "itemOrders", "panels"}));
}

void TestPanelLayoutStore::createNamesAndIds()
{
    QCOMPARE(createPanel(QString()), QStringLiteral("custom-1"));
    QCOMPARE(createPanel(QStringLiteral("   ")), QStringLiteral("custom-2"));
    QCOMPARE(createPanel(QStringLiteral("  Work  ")), QStringLiteral("custom-3"));
    QCOMPARE(createPanel(QStringLiteral("Work")), QStringLiteral("custom-4"));
    const QList<CustomPanel> panels = customPanels();
    QCOMPARE(panels.size(), 4);
    QCOMPARE(panels.at(0).name, QStringLiteral("New panel"));
    QCOMPARE(panels.at(1).name, QStringLiteral("New panel 2"));
    QCOMPARE(panels.at(2).name, QStringLiteral("Work"));
    QCOMPARE(panels.at(3).name, QStringLiteral("Work")); // caller's names may repeat

    renamePanel(QStringLiteral("custom-2"), QStringLiteral("Other"));
    QCOMPARE(createPanel(QString()), QStringLiteral("custom-5"));
    QCOMPARE(panelName(QStringLiteral("custom-5")), QStringLiteral("New panel 2"));

    // Lowest free number first, also after a removal.
    removePanel(QStringLiteral("custom-2"));
    QCOMPARE(createPanel(QStringLiteral("Again")), QStringLiteral("custom-2"));
    QCOMPARE(customPanels().last().id, QStringLiteral("custom-2")); // creation order kept

    restart();
    QCOMPARE(customPanels().size(), 5);
    QCOMPARE(panelName(QStringLiteral("custom-2")), QStringLiteral("Again"));
}

void TestPanelLayoutStore::renameAndRemove()
{
    const QString id = createPanel(QStringLiteral("Keep"));
    const QString other = createPanel(QStringLiteral("Other"));
    assignItems({QStringLiteral("a"), QStringLiteral("b")}, id);
    assignItems({QStringLiteral("c")}, other);
    setItemOrder(settingsPrefix(id), {QStringLiteral("b"), QStringLiteral("a")});
    setItemOrder(settingsPrefix(other), {QStringLiteral("c")});

    const QByteArray before = [] {
        QFile f(filePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    renamePanel(QStringLiteral("custom-99"), QStringLiteral("Nobody"));
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before); // unknown id: nothing written
    file.close();

    renamePanel(id, QStringLiteral("  spaced  "));
    QCOMPARE(panelName(id), QStringLiteral("  spaced  ")); // not trimmed

    removePanel(id);
    QVERIFY(!isCustomPanel(id));
    QCOMPARE(panelIdFor(QStringLiteral("a")), QString());
    QCOMPARE(panelIdFor(QStringLiteral("c")), other);
    QVERIFY(itemOrder(settingsPrefix(id)).isEmpty());
    QCOMPARE(itemOrder(settingsPrefix(other)), QStringList{QStringLiteral("c")});
    const QJsonObject root = readFile();
    QVERIFY(!root.value(QLatin1String("assignments")).toObject().contains(QLatin1String("a")));
    QVERIFY(!root.value(QLatin1String("itemOrders")).toObject().contains(settingsPrefix(id)));
}

void TestPanelLayoutStore::assignmentsAndPositions()
{
    const QString id = createPanel(QString());
    assignItems({QStringLiteral("/d/a"), QString(), QStringLiteral("/d/b")}, id);
    QCOMPARE(panelIdFor(QStringLiteral("/d/a")), id);
    QCOMPARE(panelIdFor(QStringLiteral("/D/A")), QString()); // keys are case-sensitive

    setDesktopPosition(QStringLiteral("/d/a"), QPoint(10, -20));
    QCOMPARE(panelIdFor(QStringLiteral("/d/a")), desktopPanelId());
    QCOMPARE(desktopPosition(QStringLiteral("/d/a")), std::optional<QPoint>(QPoint(10, -20)));
    QVERIFY(!readFile().value(QLatin1String("assignments")).toObject().contains(QLatin1String("/d/a")));

    assignItems({QStringLiteral("/d/a")}, id);
    QVERIFY(!desktopPosition(QStringLiteral("/d/a")));
    QCOMPARE(panelIdFor(QStringLiteral("/d/a")), id);

    assignItems({QStringLiteral("/d/a")}, QString()); // dropped on a built-in panel
    QCOMPARE(panelIdFor(QStringLiteral("/d/a")), QString());

    // An assignment to something that is not a custom panel stays stored but has no effect.
    assignItems({QStringLiteral("/d/c")}, QStringLiteral("documents"));
    QCOMPARE(panelIdFor(QStringLiteral("/d/c")), QString());
    QCOMPARE(
        readFile().value(QLatin1String("assignments")).toObject().value(QLatin1String("/d/c")).toString(),
        QStringLiteral("documents"));

    setDesktopPosition(QString(), QPoint(1, 1));
    QVERIFY(!readFile().value(QLatin1String("desktopPositions")).toObject().contains(QString()));
}

void TestPanelLayoutStore::itemOrders_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("duplicates and empties") << QStringList{"a", "", "b", "a"} << QStringList{"a", "b"};
    QTest::newRow("only empty removes") << QStringList{""} << QStringList();
    QTest::newRow("case matters") << QStringList{"a", "A"} << QStringList{"a", "A"};
}

void TestPanelLayoutStore::itemOrders()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, stored);
    const QString order = QStringLiteral("panel/documents");
    setItemOrder(order, {QStringLiteral("old")});
    setItemOrder(order, keys);
    QCOMPARE(itemOrder(order), stored);
    QCOMPARE(readFile().value(QLatin1String("itemOrders")).toObject().contains(order), !stored.isEmpty());
    setItemOrder(QString(), {QStringLiteral("x")});
    QVERIFY(!readFile().value(QLatin1String("itemOrders")).toObject().contains(QString()));
}

void TestPanelLayoutStore::roundTripThroughFile()
{
    const QString id = createPanel(QStringLiteral("Ünïcode ✓"));
    assignItems({QStringLiteral("/d/ä b.txt")}, id);
    setDesktopPosition(QStringLiteral("::{645FF040-5081-101B-9F08-00AA002F954E}"), QPoint(-5, 2000));
    setItemOrder(QStringLiteral("panel"), {QStringLiteral("z"), QStringLiteral("y")});

    const QJsonObject root = readFile();
    QCOMPARE(root.value(QLatin1String("panels"))
                 .toArray()
                 .at(0)
                 .toObject()
                 .value(QLatin1String("name"))
                 .toString(),
             QStringLiteral("Ünïcode ✓"));
    QCOMPARE(root.value(QLatin1String("desktopPositions"))
                 .toObject()
                 .value(QLatin1String("::{645FF040-5081-101B-9F08-00AA002F954E}"))
                 .toArray(),
             (QJsonArray{-5, 2000}));

    restart();
    QCOMPARE(panelIdFor(QStringLiteral("/d/ä b.txt")), id);
    QCOMPARE(desktopPosition(QStringLiteral("::{645FF040-5081-101B-9F08-00AA002F954E}")),
             std::optional<QPoint>(QPoint(-5, 2000)));
    QCOMPARE(itemOrder(QStringLiteral("panel")), (QStringList{"z", "y"}));
    QCOMPARE(customPanels(), (QList<CustomPanel>{{id, QStringLiteral("Ünïcode ✓")}}));
    // No temporary file is left beside the layout.
    QCOMPARE(QDir(m_env->appConfigDir()).entryList({QStringLiteral("panels.json*")}, QDir::Files),
             QStringList{QStringLiteral("panels.json")});
}

void TestPanelLayoutStore::loadSkipsMalformedMembers()
{
    writeFile(R"({
        "panels": [ {"id": "custom-1", "name": "One"}, {"id": "", "name": "no id"}, {"name": "missing"},
                    "not an object", {"id": "custom-1", "name": "Twin"}, {"id": "custom-2"},
                    {"id": 7, "name": "number id"} ],
        "assignments": { "/d/a": "custom-1", "/d/b": 5, "/d/c": "custom-9", "": "custom-1" },
        "itemOrders": { "panel/custom-1": ["x", "", 3, "x", "y"], "panel/bad": "x", "panel/empty": [""] },
        "desktopPositions": { "p1": [10.7, 20], "p2": [1], "p3": ["1", "2"], "p4": [1e300, -3],
                              "p5": [1, 2, 3], "p6": {"x": 1}, "p7": [-2147483648, 2147483647],
                              "p8": [2147483648, 0] }
    })");
    const QList<CustomPanel> panels = customPanels();
    QCOMPARE(panels.size(), 3);
    QCOMPARE(panels.at(0), (CustomPanel{QStringLiteral("custom-1"), QStringLiteral("One")}));
    QCOMPARE(panels.at(1).name, QStringLiteral("Twin"));
    QCOMPARE(panels.at(2), (CustomPanel{QStringLiteral("custom-2"), QString()}));
    QCOMPARE(panelName(QStringLiteral("custom-1")), QStringLiteral("One"));

    QCOMPARE(panelIdFor(QStringLiteral("/d/a")), QStringLiteral("custom-1"));
    QCOMPARE(panelIdFor(QStringLiteral("/d/b")), QString());
    QCOMPARE(panelIdFor(QStringLiteral("/d/c")), QString());

    QCOMPARE(itemOrder(QStringLiteral("panel/custom-1")), (QStringList{"x", "y"}));
    QVERIFY(itemOrder(QStringLiteral("panel/bad")).isEmpty());
    QVERIFY(itemOrder(QStringLiteral("panel/empty")).isEmpty());

    QCOMPARE(desktopPosition(QStringLiteral("p1")), std::optional<QPoint>(QPoint(0, 20)));
    QVERIFY(!desktopPosition(QStringLiteral("p2")));
    QVERIFY(!desktopPosition(QStringLiteral("p3")));
    QCOMPARE(desktopPosition(QStringLiteral("p4")), std::optional<QPoint>(QPoint(0, -3)));
    QVERIFY(!desktopPosition(QStringLiteral("p5")));
    QVERIFY(!desktopPosition(QStringLiteral("p6")));
    QCOMPARE(desktopPosition(QStringLiteral("p7")), std::optional<QPoint>(QPoint(INT_MIN, INT_MAX)));
    QCOMPARE(desktopPosition(QStringLiteral("p8")), std::optional<QPoint>(QPoint(0, 0)));

    // A readable file is not copied aside.
    QCOMPARE(QDir(m_env->appConfigDir()).entryList({QStringLiteral("panels.json.*")}, QDir::Files).size(), 0);
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
    writeFile(content);
    QVERIFY(customPanels().isEmpty());
    const QStringList copies =
        QDir(m_env->appConfigDir()).entryList({QStringLiteral("panels.json.unreadable-*")}, QDir::Files);
    QCOMPARE(copies.size(), copied ? 1 : 0);
    if (copied) {
        QFile copy(QDir(m_env->appConfigDir()).filePath(copies.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), content);
    }
    // The program still works and writes a sound file.
    createPanel(QStringLiteral("Fresh"));
    QCOMPARE(readFile().value(QLatin1String("panels")).toArray().size(), 1);
}

void TestPanelLayoutStore::fileIsDirectory()
{
    QVERIFY(QDir().mkpath(filePath()));
    QVERIFY(customPanels().isEmpty());
    const QString id = createPanel(QStringLiteral("In memory"));
    QCOMPARE(panelName(id), QStringLiteral("In memory")); // state kept though the write failed
    QVERIFY(QFileInfo(filePath()).isDir());
}

QTEST_GUILESS_MAIN(TestPanelLayoutStore)
#include "test_panellayoutstore.moc"
