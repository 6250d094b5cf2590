#include "PanelTestHome.h"
#include "base/SettingsKeys.h"
#include "fakes/FakeLooseItems.h"
#include "fakes/FakeWindowStacking.h"
#include "panels/TidyLayout.h"
#include "panelset/PanelSet.h"
#include "shell/DesktopLayer.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

namespace {

QStringList titles(const PanelSet &set)
{
    QStringList result;
    for (const IconPanel *panel : set.panelsInOrder())
        result.append(panel->title());
    return result;
}

// A change made on the documents panel.
using PanelChange = std::function<void(IconPanel *)>;

} // namespace

Q_DECLARE_METATYPE(PanelChange)

class TestPanelSet : public QObject, PanelFixture
{
    Q_OBJECT

    std::unique_ptr<PanelSet> m_set;
    std::unique_ptr<QSettings> m_disk;
    int m_diskReads = 0;

    // The settings as a restarted program reads them from disk: a copy, since
    // every QSettings of this process shares what it has not written yet.
    QSettings *onDisk()
    {
        const QString copy = m_env->home() + QStringLiteral("/disk-%1.conf").arg(++m_diskReads);
        if (!QFile::copy(TestEnvironment::settings().fileName(), copy))
            return nullptr;
        m_disk = std::make_unique<QSettings>(copy, QSettings::IniFormat);
        return m_disk.get();
    }

    // The panels whose place on disk is not the one on screen.
    QStringList placesNotOnDisk()
    {
        const QSettings *disk = onDisk();
        QStringList wrong;
        for (const IconPanel *p : m_set->panelsInOrder()) {
            const QString prefix = p->settingsPrefix();
            if (!disk || disk->value(prefix + "/geometry").toRect() != p->geometry() ||
                disk->value(prefix + "/iconSize").toInt() != m_set->iconSize())
                wrong.append(prefix);
        }
        return wrong;
    }

    PanelSet *makeSet(bool perCategory = true)
    {
        m_model = makeDesktopModel(m_desktop);
        m_set = std::make_unique<PanelSet>(IconPanelOptions{}, m_model.get(), perCategory, nullptr);
        return m_set.get();
    }

    // Three category panels and a custom one, documents moved by the user, every place on disk.
    IconPanel *movedDocuments()
    {
        addFiles({"/d/a.txt", "/d/b.png", "/d/c.mp3"});
        PanelLayoutStore::createPanel("Mine");
        IconPanel *documents = makeSet()->panel("documents");
        documents->applyGeometry(documents->geometry().translated(40, 40), true);
        for (IconPanel *p : m_set->panelsInOrder())
            p->storePanelGeometry(); // as a move that ends does
        return documents;
    }

private Q_SLOTS:
    void init() { startHome(); }

    void cleanup()
    {
        m_disk.reset();
        m_set.reset();
        endHome();
    }

    void panelsFollowCategories_data()
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

    void panelsFollowCategories()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, customs);
        addFiles(files);
        for (const QString &name : customs)
            PanelLayoutStore::createPanel(name);
        PanelSet *set = makeSet();
        QTEST(titles(*set), "expected");
        for (IconPanel *panel : set->panelsInOrder()) {
            // Documents (and custom panels) default to the grid, the other kinds to lists.
            QCOMPARE(panel->isListView(), panel->title() != "Documents" && !customs.contains(panel->title()));
            QVERIFY(!panel->isVisible()); // nothing shows before showAll
        }

        // Removing the last audio file removes its panel at the next reload.
        m_desktop->entries.removeIf([](const DesktopEntry &e) { return e.path.endsWith(".mp3"); });
        QSignalSpy contents(set, &PanelSet::contentsChanged);
        m_model->reload();
        QVERIFY(!titles(*set).contains("Audio"));
        QCOMPARE(contents.value(0).value(0).toInt(), m_model->rowCount());
    }

    void customAndSinglePanels()
    {
        addFiles({"/d/a.txt", "/d/b.png"});
        PanelSet *set = makeSet();
        IconPanel *documents = set->panel("documents");
        Q_EMIT documents->createPanelRequested(QString());
        QCOMPARE(titles(*set), (QStringList{"Documents", "Images", "New panel"}));
        Q_EMIT documents->renamePanelRequested("custom-1", "  Mine ");
        Q_EMIT documents->renamePanelRequested("custom-1", "   ");
        Q_EMIT documents->renamePanelRequested("documents", "Docs");
        QCOMPARE(titles(*set), (QStringList{"Documents", "Images", "Mine"}));

        // Dropped on the custom panel: assigned, and the emptied documents panel goes.
        Q_EMIT set->panel("custom-1")->itemsDropped({"/d/a.txt"}, "custom-1");
        QTRY_COMPARE(keysIn(set->panel("custom-1")), QStringList{"/d/a.txt"});
        QVERIFY(!set->panel("documents"));
        // Dropped on a category panel: the assignment is cleared and the item goes home.
        Q_EMIT set->panel("images")->itemsDropped({"/d/a.txt"}, QString());
        QCOMPARE(PanelLayoutStore::panelIdFor("/d/a.txt"), QString());
        QTRY_VERIFY(set->panel("documents"));
        QCOMPARE(keysIn(set->panel("documents")), QStringList{"/d/a.txt"});
        QVERIFY(keysIn(set->panel("custom-1")).isEmpty());

        // Removing the custom panel returns its items; a request for a built-in panel changes nothing.
        Q_EMIT set->panel("images")->itemsDropped({"/d/a.txt", "/d/b.png"}, "custom-1");
        QTRY_COMPARE(titles(*set), QStringList{"Mine"});
        QPointer<IconPanel> removed = set->panel("custom-1");
        Q_EMIT removed->removePanelRequested("custom-1");
        QTRY_VERIFY(removed.isNull());
        QCOMPARE(titles(*set), (QStringList{"Documents", "Images"}));
        QCOMPARE(keysIn(set->panel("images")), QStringList{"/d/b.png"});
        QVERIFY(!PanelLayoutStore::isCustomPanel("custom-1"));
        Q_EMIT set->panel("images")->removePanelRequested("images");
        QTest::qWait(10);
        QCOMPARE(titles(*set), (QStringList{"Documents", "Images"}));

        // One panel for all: the panels' own settings, the loose items left out.
        PanelLayoutStore::setDesktopPosition("/d/b.png", QPoint(1, 1));
        m_set.reset();
        set = makeSet(false);
        QCOMPARE(titles(*set), QStringList{"Desktop"});
        IconPanel *single = set->panelsInOrder().first();
        QCOMPARE(single->settingsPrefix(), "panel");
        QCOMPARE(keysIn(single), QStringList{"/d/a.txt"});
        QVERIFY(single->geometryRestored());
    }

    void layoutChangesReachTheDisk_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("customs");
        const auto row = [](const char *tag, const char *key, const char *value, const PanelChange &change,
                            const QStringList &customs = {"Mine"}) {
            QTest::newRow(tag) << change << QString(key) << QString(value) << customs;
        };
        row("tidy", "panel/documents/userPlaced", "false",
            [](IconPanel *p) { Q_EMIT p->arrangeRequested(); });
        row("icon size", "panel/iconSize", "96", [](IconPanel *p) { Q_EMIT p->iconSizeRequested(96); });
        row("view", "panel/documents/viewMode", "list",
            [](IconPanel *p) { p->setViewMode(IconPanel::List); });
        row("lock", "panel/layoutLocked", "true", [](IconPanel *p) { Q_EMIT p->layoutLockRequested(true); });
        row("new panel", "", "", [](IconPanel *p) { Q_EMIT p->createPanelRequested("Second"); },
            {"Mine", "Second"});
        row("rename", "", "", [](IconPanel *p) { Q_EMIT p->renamePanelRequested("custom-1", "Renamed"); },
            {"Renamed"});
    }

    // Killed a second after a change, the next start finds the layout as it was on screen.
    void layoutChangesReachTheDisk()
    {
        QFETCH(PanelChange, change);
        QFETCH(QString, key);
        IconPanel *documents = movedDocuments();
        QCOMPARE(placesNotOnDisk(), QStringList());
        change(documents);
        QTRY_COMPARE_WITH_TIMEOUT(placesNotOnDisk(), QStringList(), 1000);
        if (!key.isEmpty())
            QTEST(onDisk()->value(key).toString(), "value");
        PanelLayoutStore::discardState(); // read panels.json again
        QStringList names;
        for (const PanelLayoutStore::CustomPanel &custom : PanelLayoutStore::customPanels())
            names.append(custom.name);
        QTEST(names, "customs");
    }

    // A restored layout takes effect on the running set: panels go where the settings now say,
    // custom panels come and go as the layout file now says. Then a run that cannot know where
    // its windows are (a Wayland client) keeps the stored layout.
    void reloadAndUnknownPositions()
    {
        const QRect restored = movedDocuments()->geometry().translated(-30, 20);
        m_set->releaseLayout(); // as a restore does before it writes
        TestEnvironment::settings().setValue("panel/documents/geometry", restored);
        TestEnvironment::settings().setValue("panel/layoutLocked", true);
        m_env->writeFile(PanelLayoutStore::filePath(), R"({"panels":[{"id":"custom-2","name":"Restored"}]})");
        m_set->reloadStoredLayout();
        IconPanel *documents = m_set->panel("documents");
        QCOMPARE(documents->geometry(), restored);
        QCOMPARE(titles(*m_set).last(), "Restored");
        QVERIFY(!m_set->panel("custom-1") && m_set->panel("images")->isLayoutLocked());

        m_set->setLayoutLocked(false);
        const auto placements = [] {
            QSettings settings(TestEnvironment::settingsFile(), QSettings::IniFormat);
            QVariantMap stored;
            for (const QString &key : settings.allKeys().filter(QRegularExpression("geometry|userPlaced")))
                stored.insert(key, settings.value(key));
            return stored;
        };
        const QVariantMap before = placements();
        QVERIFY(before.contains(documents->settingsPrefix() + "/geometry"));

        auto *stacking = new FakeWindowStacking;
        stacking->positionsKnown = false;
        DesktopLayer layer(stacking, false);
        m_set->setDesktopLayer(&layer);
        documents->applyGeometry(documents->geometry().translated(-30, 20), true);
        documents->storePanelGeometry(); // as a move that ends does
        Q_EMIT documents->arrangeRequested();
        m_set->toggleAll();
        QCOMPARE(placements(), before);
        m_set.reset();
    }

    void companionsTakeFreeRoom_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a new custom panel keeps clear of them") << "new panel";
        QTest::newRow("shown over a panel, one moves off it") << "shown";
        QTest::newRow("tidied, each gets room of its own") << "tidy";
    }

    void companionsTakeFreeRoom()
    {
        // The offscreen screen is 800 x 600: the documents panel takes the
        // right of the work area, the companions start in the room left of it.
        QFETCH(QString, change);
        addFiles({"/d/a.txt"});
        PanelSet *set = makeSet();
        QWidget todo, currency;
        todo.setGeometry(24, 24, 300, 214);
        currency.setGeometry(
            QRect(change == "shown" ? set->panel("documents")->geometry().topLeft() : QPoint(24, 24),
                  QSize(300, 214)));
        set->addCompanion(&todo, [] { return true; });
        set->addCompanion(&currency, [] { return true; });
        if (change == "new panel") {
            todo.move(24, 300);
            set->showAll(false);
            Q_EMIT set->panel("documents")->createPanelRequested(QString());
            QTRY_COMPARE(set->panelsInOrder().size(), 2);
        } else if (change == "shown") {
            set->companionShown();
        } else {
            set->tidy();
        }
        QList<QRect> windows{todo.geometry(), currency.geometry()};
        for (const IconPanel *p : set->panelsInOrder())
            windows.append(p->geometry());
        for (qsizetype i = 0; i < windows.size(); ++i) {
            QVERIFY(TidyLayout::workArea().contains(windows[i]));
            for (qsizetype j = i + 1; j < windows.size(); ++j)
                QVERIFY2(!windows[i].intersects(windows[j]), qPrintable(QString("%1 and %2").arg(i).arg(j)));
        }
    }

    void lockTidyHideAndCompanions()
    {
        addFiles({"/d/a.txt", "/d/b.png"});
        PanelSet *set = makeSet();
        QSignalSpy lockChanged(set, &PanelSet::layoutLockChanged);
        IconPanel *panel = set->panel("documents");
        const QRect tidy = panel->geometry();
        const QRect moved = tidy.translated(0, 300); // clear of every panel's place
        panel->applyGeometry(moved, true);

        Q_EMIT panel->layoutLockRequested(true);
        set->setLayoutLocked(true); // no change, no signal
        QCOMPARE(lockChanged.count(), 1);
        QVERIFY(set->panel("images")->isLayoutLocked());
        Q_EMIT panel->arrangeRequested();
        QCOMPARE(panel->geometry(), moved); // locked: tidy does nothing

        // Unlocked, tidy puts the panel back in its place of the arrangement, though it overlaps nothing.
        set->setLayoutLocked(false);
        Q_EMIT panel->arrangeRequested();
        QCOMPARE(panel->geometry(), tidy);
        QVERIFY(!panel->isUserPlaced());

        set->setHideToTray(true);
        QWidget wanted, unwanted;
        wanted.setGeometry(600, 100, 300, 200);
        set->addCompanion(&wanted, [] { return true; });
        set->addCompanion(&unwanted, [] { return false; });
        QSignalSpy allHidden(set, &PanelSet::allHidden);
        QSignalSpy panelsHidden(set, &PanelSet::panelsHidden);
        set->showAll(false);
        QVERIFY(wanted.isVisible() && !unwanted.isVisible());
        // A visible companion is a peer the panels snap to.
        QVERIFY(set->peerRects(set->panel("documents")).contains(wanted.frameGeometry()));
        QVERIFY(!set->peerRects(&wanted).contains(wanted.frameGeometry()));

        // The last window to go, here a panel after the companion, leaves all hidden.
        wanted.hide();
        set->companionHidden();
        set->panel("documents")->close();
        QCOMPARE(allHidden.count(), 0);
        set->panel("images")->close();
        QCOMPARE(allHidden.count(), 1);
        QVERIFY(!set->anyPanelVisible());
        set->toggleAll();
        QVERIFY(set->panel("documents")->isVisible() && wanted.isVisible());
        set->toggleAll();
        QVERIFY(!set->anyPanelVisible() && !wanted.isVisible());
        QCOMPARE(allHidden.count(), 1);    // hiding from the tray is not the panels' doing
        QCOMPARE(panelsHidden.count(), 2); // yet windows beside the panels go with them either way

        // A feature window made after the panels came on screen joins them only
        // while they are shown, and only if it belongs on screen.
        set->toggleAll();
        QWidget late, lateUnwanted;
        set->addCompanion(&late, [] { return true; });
        set->addCompanion(&lateUnwanted, [] { return false; });
        set->showCompanions();
        QVERIFY(late.isVisible() && !lateUnwanted.isVisible());
        set->toggleAll();
        set->showCompanions();
        QVERIFY(!late.isVisible());
    }

    void rolledUpAndSwitchedViews()
    {
        addFiles({"/d/a.txt", "/d/b.txt", "/d/a.png", "/d/b.png", "/d/c.png"});
        PanelSet *set = makeSet();
        IconPanel *documents = set->panel("documents");
        documents->applyGeometry(QRect(40, 40, 300, 420), true);
        documents->setCollapsed(true);

        // Tidying, switching the presentation, reloading and restarting all place
        // the rolled-up panel; none of them may take its title height for its full one.
        Q_EMIT documents->arrangeRequested();
        documents->setViewMode(IconPanel::List);
        documents->setViewMode(IconPanel::Grid);
        m_model->reload();
        QCOMPARE(documents->height(), 54);
        m_set.reset();
        documents = makeSet()->panel("documents");
        QVERIFY(documents->isCollapsed());
        Q_EMIT documents->arrangeRequested();
        documents->setCollapsed(false);
        QCOMPARE(documents->height(), 420);

        IconPanel *images = m_set->panel("images");
        const QRect area = TidyLayout::workArea();
        images->applyGeometry(QRect(area.topLeft(), QSize(260, 200)), true);
        documents->applyGeometry(QRect(area.left() + 280, area.top(), 300, 300), true);
        // As a grid of three the images panel is wider than the room beside it.
        images->setViewMode(IconPanel::Grid);
        QVERIFY(images->width() > 280);
        QVERIFY(!images->geometry().intersects(documents->geometry()));
        QVERIFY(area.contains(images->geometry()));
    }

    void looseItemsFollowTheSet()
    {
        addFiles({"/d/a.txt", "/d/b.png"});
        PanelSet *set = makeSet();
        auto *loose = new FakeLooseItems;
        set->setLooseItems(loose);
        QCOMPARE(loose->parent(), set);
        QCOMPARE(loose->iconSize, 48);

        // An item dragged in a panel runs through the loose items' drag procedure.
        set->showAll(false);
        QVERIFY(loose->shown);
        ItemDragView *view = set->panel("documents")->view();
        view->doItemsLayout();
        const QPoint item = view->visualRect(view->model()->index(0, 0)).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, item);
        // The first move arms the drag, the next one starts it.
        QTest::mouseMove(view->viewport(), item + QPoint(20, 20));
        QTest::mouseMove(view->viewport(), item + QPoint(40, 40));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, item + QPoint(40, 40));
        QCOMPARE(loose->sources.size(), 1);
        QCOMPARE(loose->sources.first().data(), view);

        // One selection in the whole program.
        view->selectAll();
        Q_EMIT loose->selectionActivated();
        QVERIFY(view->selectionModel()->selectedIndexes().isEmpty());
        const int before = loose->cleared;
        Q_EMIT set->panel("images")->selectionActivated();
        QCOMPARE(loose->cleared, before + 1);

        // The current size changes nothing; another reaches the model, the panels and the loose items.
        IconPanel *documents = set->panel("documents");
        documents->applyGeometry(QRect(300, 300, 260, 200), true);
        const int enumerations = m_desktop->enumerations;
        set->setIconSize(48);
        QVERIFY(!TestEnvironment::settings().contains(SettingsKeys::panelIconSize));
        QCOMPARE(documents->geometry(), QRect(300, 300, 260, 200));
        QCOMPARE(m_desktop->enumerations, enumerations);
        Q_EMIT documents->iconSizeRequested(96);
        QVERIFY(m_model->iconSize() == 96 && documents->iconSize() == 96 && loose->iconSize == 96);
        QVERIFY(!documents->needsRelayout()); // re-arranged
        loose->visibleShortcuts = true;
        set->toggleAll();
        QVERIFY(!loose->shown);

        // Every panel closed, the loose items still on the desktop: the first
        // tray click brings the panels back and leaves the loose items alone.
        set->setHideToTray(true);
        set->showAll(false);
        for (IconPanel *p : set->panelsInOrder())
            p->close();
        set->toggleAll();
        QVERIFY(loose->shown && set->panel("documents")->isVisible());

        // A panel emptied by the drag that started in it waits for the drag to end.
        QPointer<IconPanel> images = set->panel("images");
        bool keptDuringDrag = false;
        loose->duringDrag = [&] {
            // The drag's own item leaves the desktop; its panel is no longer wanted.
            m_desktop->entries.removeIf([](const DesktopEntry &e) { return e.path.endsWith(".png"); });
            m_model->reload();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            keptDuringDrag = images && !images->isVisible() && !set->panelsInOrder().contains(images.data());
        };
        loose->runDrag(images->view(), new QMimeData, QPixmap());
        QVERIFY(keptDuringDrag);
        QVERIFY(images); // the view that started the drag is still returning through it
        QTRY_VERIFY(!images);
    }
};

QTEST_MAIN(TestPanelSet)
#include "test_panelset.moc"
