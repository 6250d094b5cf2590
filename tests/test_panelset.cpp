#include "TestEnvironment.h"
#include "app/SettingsKeys.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelSet.h"
#include "panels/TidyLayout.h"
#include "shell/DesktopModel.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList titles(const PanelSet &set)
{
    QStringList result;
    for (const IconPanel *panel : set.panelsInOrder())
        result.append(panel->title());
    return result;
}

QStringList keysIn(const IconPanel *panel)
{
    QStringList keys;
    const QAbstractItemModel *model = panel->view()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        keys.append(model->index(row, 0).data(DesktopModel::KeyRole).toString());
    return keys;
}

} // namespace

class TestPanelSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void panelsFollowCategories_data();
    void panelsFollowCategories();
    void dropOnCategoryPanelClearsAssignment();
    void removingCustomPanelReturnsItems();
    void createAndRenameCustomPanels();
    void iconSizeChanges();
    void lockAndTidy();
    void hidingLastPanelEmitsAllHidden();
    void singleMode();
    void tidyPlacesInsideWorkArea();

private:
    PanelSet *makeSet(bool perCategory = true);

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<PanelSet> m_set;
};

void TestPanelSet::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    PanelLayoutStore::discardState();
    m_desktop = std::make_shared<FakeDesktopSource::State>();
}

void TestPanelSet::cleanup()
{
    m_set.reset();
    m_model.reset();
    PanelLayoutStore::discardState();
    m_env.reset();
}

PanelSet *TestPanelSet::makeSet(bool perCategory)
{
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop));
    m_set = std::make_unique<PanelSet>(IconPanelOptions{}, m_model.get(), perCategory);
    return m_set.get();
}

void TestPanelSet::panelsFollowCategories_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("customs");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty desktop") << QStringList() << QStringList() << QStringList();
    QTest::newRow("empty desktop keeps custom panels")
        << QStringList() << QStringList{"Work", "Play"} << QStringList{"Work", "Play"};
    QTest::newRow("canonical order, customs last")
        << QStringList{"/d/z.mp3", "/d/a.txt", "/d/b.png", "/d/c.qqq"} << QStringList{"Mine"}
        << QStringList{"Documents", "Images", "Audio", "Other", "Mine"};
}

void TestPanelSet::panelsFollowCategories()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, customs);
    QFETCH(QStringList, expected);
    for (const QString &file : files)
        m_desktop->entries.append(FakeDesktopSource::file(file));
    for (const QString &name : customs)
        PanelLayoutStore::createPanel(name);
    PanelSet *set = makeSet();
    QCOMPARE(titles(*set), expected);
    for (IconPanel *panel : set->panelsInOrder()) {
        // Documents (and custom panels) default to the grid, the other kinds to lists.
        const bool grid = panel->title() == QLatin1String("Documents") || customs.contains(panel->title());
        QCOMPARE(panel->isListView(), !grid);
        QVERIFY(!panel->isVisible()); // nothing shows before showAll
    }

    // Removing the last audio file removes its panel at the next reload.
    m_desktop->entries.removeIf([](const DesktopEntry &e) { return e.path.endsWith(QLatin1String(".mp3")); });
    QSignalSpy contents(set, &PanelSet::contentsChanged);
    m_model->reload();
    QVERIFY(!titles(*set).contains(QStringLiteral("Audio")));
    QCOMPARE(contents.value(0).value(0).toInt(), m_model->rowCount());
}

void TestPanelSet::dropOnCategoryPanelClearsAssignment()
{
    const QString custom = PanelLayoutStore::createPanel(QStringLiteral("Mine"));
    PanelLayoutStore::assignItems({QStringLiteral("/d/a.txt")}, custom);
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/b.png"))};
    PanelSet *set = makeSet();
    QCOMPARE(keysIn(set->panel(custom)), QStringList{"/d/a.txt"});
    // Its only document lives in the custom panel: no empty documents panel floats about.
    QVERIFY(!set->panel(QStringLiteral("documents")));

    // Dropped on the images panel: the assignment is cleared and the item goes home.
    Q_EMIT set->panel(QStringLiteral("images"))->itemsDropped({QStringLiteral("/d/a.txt")}, QString());
    QCOMPARE(PanelLayoutStore::panelIdFor(QStringLiteral("/d/a.txt")), QString());
    QTRY_VERIFY(set->panel(QStringLiteral("documents")));
    QCOMPARE(keysIn(set->panel(QStringLiteral("documents"))), QStringList{"/d/a.txt"});
    QVERIFY(keysIn(set->panel(custom)).isEmpty());

    // Dropped on the custom panel: assigned again, and the emptied panel goes.
    Q_EMIT set->panel(custom)->itemsDropped({QStringLiteral("/d/a.txt")}, custom);
    QTRY_COMPARE(keysIn(set->panel(custom)), QStringList{"/d/a.txt"});
    QVERIFY(!set->panel(QStringLiteral("documents")));
}

void TestPanelSet::removingCustomPanelReturnsItems()
{
    const QString custom = PanelLayoutStore::createPanel(QStringLiteral("Mine"));
    PanelLayoutStore::assignItems({QStringLiteral("/d/a.txt"), QStringLiteral("/d/b.png")}, custom);
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/b.png"))};
    PanelSet *set = makeSet();
    QCOMPARE(titles(*set), QStringList{"Mine"});
    QCOMPARE(keysIn(set->panel(custom)).size(), 2);
    QPointer<IconPanel> removed = set->panel(custom);
    Q_EMIT removed->removePanelRequested(custom);
    QTRY_VERIFY(removed.isNull());
    QCOMPARE(titles(*set), (QStringList{"Documents", "Images"}));
    QCOMPARE(keysIn(set->panel(QStringLiteral("images"))), QStringList{"/d/b.png"});
    QVERIFY(!PanelLayoutStore::isCustomPanel(custom));

    // A request for a built-in panel changes nothing.
    Q_EMIT set->panel(QStringLiteral("images"))->removePanelRequested(QStringLiteral("images"));
    QTest::qWait(10);
    QCOMPARE(titles(*set), (QStringList{"Documents", "Images"}));
}

void TestPanelSet::createAndRenameCustomPanels()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt"))};
    PanelSet *set = makeSet();
    IconPanel *documents = set->panel(QStringLiteral("documents"));
    Q_EMIT documents->createPanelRequested(QString());
    QCOMPARE(titles(*set), (QStringList{"Documents", "New panel"}));
    Q_EMIT documents->renamePanelRequested(QStringLiteral("custom-1"), QStringLiteral("  Projects "));
    QCOMPARE(set->panel(QStringLiteral("custom-1"))->title(), QStringLiteral("Projects"));
    QCOMPARE(PanelLayoutStore::panelName(QStringLiteral("custom-1")), QStringLiteral("Projects"));
    Q_EMIT documents->renamePanelRequested(QStringLiteral("custom-1"), QStringLiteral("   "));
    Q_EMIT documents->renamePanelRequested(QStringLiteral("documents"), QStringLiteral("Docs"));
    QCOMPARE(titles(*set), (QStringList{"Documents", "Projects"}));
}

void TestPanelSet::iconSizeChanges()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt"))};
    PanelSet *set = makeSet();
    IconPanel *panel = set->panel(QStringLiteral("documents"));
    panel->applyGeometry(QRect(300, 300, 260, 200), true);
    const int enumerations = m_desktop->enumerations;

    set->setIconSize(48); // the current size: nothing happens
    QVERIFY(!QSettings().contains(SettingsKeys::panelIconSize));
    QCOMPARE(panel->geometry(), QRect(300, 300, 260, 200));
    QCOMPARE(m_desktop->enumerations, enumerations);

    Q_EMIT panel->iconSizeRequested(96);
    QCOMPARE(QSettings().value(SettingsKeys::panelIconSize).toInt(), 96);
    QCOMPARE(m_model->iconSize(), 96);
    QCOMPARE(panel->iconSize(), 96);
    QVERIFY(m_desktop->enumerations > enumerations);
    QVERIFY(!panel->needsRelayout()); // re-arranged
}

void TestPanelSet::lockAndTidy()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/b.png"))};
    PanelSet *set = makeSet();
    QSignalSpy lockChanged(set, &PanelSet::layoutLockChanged);
    IconPanel *panel = set->panel(QStringLiteral("documents"));
    const QRect tidy = panel->geometry();
    panel->applyGeometry(tidy.translated(40, 40), true);

    Q_EMIT panel->layoutLockRequested(true);
    QCOMPARE(lockChanged.count(), 1);
    QVERIFY(QSettings().value(SettingsKeys::panelLayoutLocked).toBool());
    for (IconPanel *p : set->panelsInOrder())
        QVERIFY(p->isLayoutLocked());
    Q_EMIT panel->arrangeRequested();
    QCOMPARE(panel->geometry(), tidy.translated(40, 40)); // locked: tidy does nothing
    set->setLayoutLocked(true);
    QCOMPARE(lockChanged.count(), 1);

    set->setLayoutLocked(false);
    Q_EMIT panel->arrangeRequested();
    QCOMPARE(panel->geometry(), tidy);
    QVERIFY(!panel->isUserPlaced());

    // A locked layout survives a restart.
    set->setLayoutLocked(true);
    m_set.reset();
    PanelSet *again = makeSet();
    QVERIFY(again->isLayoutLocked());
    QVERIFY(again->panel(QStringLiteral("images"))->isLayoutLocked());
}

void TestPanelSet::hidingLastPanelEmitsAllHidden()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/b.png"))};
    PanelSet *set = makeSet();
    set->setHideToTray(true);
    QSignalSpy allHidden(set, &PanelSet::allHidden);
    set->showAll(false);
    QVERIFY(set->anyPanelVisible());
    set->panel(QStringLiteral("documents"))->close();
    QVERIFY(!set->panel(QStringLiteral("documents"))->isVisible());
    QCOMPARE(allHidden.count(), 0);
    set->panel(QStringLiteral("images"))->close();
    QCOMPARE(allHidden.count(), 1);
    QVERIFY(!set->anyPanelVisible());

    set->toggleAll();
    QVERIFY(set->panel(QStringLiteral("documents"))->isVisible());
    set->toggleAll();
    QVERIFY(!set->anyPanelVisible());
    QCOMPARE(allHidden.count(), 1); // hiding from the tray is not the panels' doing
}

void TestPanelSet::singleMode()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/b.png"))};
    PanelLayoutStore::setDesktopPosition(QStringLiteral("/d/b.png"), QPoint(1, 1));
    PanelSet *set = makeSet(false);
    QCOMPARE(titles(*set), QStringList{"Desktop"});
    IconPanel *panel = set->panelsInOrder().first();
    QCOMPARE(panel->settingsPrefix(), QStringLiteral("panel"));
    QCOMPARE(keysIn(panel), QStringList{"/d/a.txt"}); // loose items stay out
    QVERIFY(panel->geometryRestored());
}

void TestPanelSet::tidyPlacesInsideWorkArea()
{
    for (const char *file : {"/d/a.txt", "/d/b.png", "/d/c.mp3", "/d/d.zip", "/d/e.cpp", "/d/f.exe"})
        m_desktop->entries.append(FakeDesktopSource::file(QString::fromLatin1(file)));
    m_desktop->entries.append(FakeDesktopSource::folder(QStringLiteral("/d/Folder")));
    PanelSet *set = makeSet();
    const QRect area = TidyLayout::workArea();
    const QList<IconPanel *> panels = set->panelsInOrder();
    QCOMPARE(panels.size(), 7);
    for (const IconPanel *a : panels) {
        QVERIFY2(area.contains(a->geometry()), qPrintable(a->title()));
        for (const IconPanel *b : panels) {
            if (a != b)
                QVERIFY2(!a->geometry().intersects(b->geometry()), qPrintable(a->title() + b->title()));
        }
    }
}

QTEST_MAIN(TestPanelSet)
#include "test_panelset.moc"
