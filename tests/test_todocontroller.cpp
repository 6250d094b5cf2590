#include "PanelTestHome.h"
#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "fakes/FakeWindowStacking.h"
#include "panels/TidyLayout.h"
#include "panelset/PanelSet.h"
#include "shell/DesktopLayer.h"
#include "todo/TodoContextMenu.h"
#include "todo/TodoController.h"
#include "todo/TodoModel.h"
#include "todo/TodoPanel.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

// The to-do list among the panels: the shared action, the stored wish to see it, the set, quitting.
class TestTodoController : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { startHome(); }

    void cleanup()
    {
        m_todo.reset();
        m_set.reset();
        endHome();
    }

    void actionFollowsAndStoresTheWish()
    {
        TodoController *todo = make(false);
        QAction *action = todo->visibilityAction();
        QVERIFY(!action->isChecked() && !todo->panel()->isVisible());
        QSignalSpy changed(todo, &TodoController::visibilityChanged);
        action->trigger();
        QVERIFY(todo->panel()->isVisible() && stored() && changed.size() == 1);

        // Unticking it hides the list and remembers that; "Show all" then leaves it away.
        action->trigger();
        QVERIFY(!todo->panel()->isVisible() && !stored() && changed.size() == 2);
        m_set->showAll(false);
        QVERIFY(!todo->panel()->isVisible());
        action->trigger();
        QVERIFY(todo->panel()->isVisible());

        // Its close button only hides it, and the menus learn of it.
        QSignalSpy allHidden(m_set.get(), &PanelSet::allHidden);
        todo->panel()->close();
        QVERIFY(!todo->panel()->isVisible() && !action->isChecked() && !stored());
        QCOMPARE(allHidden.size(), 0); // the documents panel is still there
        // The tray's tools name the list itself and switch the same wish.
        QAction *tool = todo->toolAction();
        QCOMPARE(tool->text(), "To-do list");
        tool->trigger();
        QVERIFY(todo->panel()->isVisible() && action->isChecked() && tool->isChecked());
        m_set->panel("documents")->close();
        todo->panel()->close();
        QCOMPARE(allHidden.size(), 1);
    }

    // The set, the desktop layer and quitting reach the list.
    void followsTheSet()
    {
        auto *stacking = new FakeWindowStacking; // no window manager, as offscreen
        stacking->available = false;
        DesktopLayer layer(stacking, false);
        TodoController *todo = make(true, &layer);
        m_set->toggleAll();
        QVERIFY(!todo->panel()->isVisible() && !m_set->anyPanelVisible());
        QVERIFY(todo->visibilityAction()->isChecked() && stored());
        m_set->toggleAll();
        QVERIFY(todo->panel()->isVisible());

        // Asking for it while everything is put away shows it alone.
        m_set->toggleAll();
        todo->setVisible(true);
        QVERIFY(todo->panel()->isVisible() && m_set->anyPanelVisible());

        // The set's lock reaches the list too.
        m_set->setLayoutLocked(true);
        QVERIFY(todo->panel()->isLayoutLocked());
        m_set->setLayoutLocked(false);
        QVERIFY(!todo->panel()->isLayoutLocked());

        QVERIFY(layer.isTracked(todo->panel()));
        auto *pin = todo->panel()->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName);
        QCOMPARE(TodoContextMenu::create(todo->panel(), QPoint(1, 1))->actions().constFirst(), pin);
        pin->trigger();
        QCOMPARE(
            Settings::instance()->value(QString(SettingsKeys::todoGroup) + SettingsKeys::keepOnTop).toBool(),
            pin->isChecked());

        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        // Out of the way of the closing, still wanted at the next start.
        QVERIFY(quit.isAccepted() && !todo->panel()->isVisible());
        QVERIFY(stored() && todo->visibilityAction()->isChecked());
        // Without an event loop to leave, the program goes on: the list comes back.
        QTRY_VERIFY(todo->panel()->isVisible());
        m_todo.reset(); // the panel goes before the layer
    }

    void firstPlaceLeavesOtherFeaturesClear_data()
    {
        QTest::addColumn<bool>("otherWanted");
        QTest::newRow("another feature window on screen") << true;
        QTest::newRow("another feature window put away") << false;
    }

    void firstPlaceLeavesOtherFeaturesClear()
    {
        // Another feature window (the currency converter, say) joined the set first
        // and sits on the spot the list would take; it has not been shown yet.
        QFETCH(bool, otherWanted);
        makeSet();
        QList<QRect> iconPanels;
        for (const IconPanel *p : m_set->panelsInOrder())
            iconPanels.append(p->expandedGeometry());
        const QRect area = TidyLayout::workArea();
        const QRect spot = TidyLayout::freeSpot(QSize(340, 420), QSize(300, 150), area, iconPanels);
        QWidget other;
        other.setGeometry(QRect(spot.topLeft(), QSize(300, 214)));
        m_set->addCompanion(&other, [otherWanted] { return otherWanted; });

        m_todo = std::make_unique<TodoController>(m_set.get(), nullptr, m_env->home() + "/todo.json");
        const QRect placed = m_todo->panel()->geometry();
        QCOMPARE(placed.intersects(other.geometry()), !otherWanted);
        QVERIFY(area.contains(placed));
        if (!otherWanted)
            QCOMPARE(placed.topLeft(), spot.topLeft());
    }

private:
    // A set with one documents panel.
    void makeSet()
    {
        addFiles({"/d/a.txt"});
        m_model = makeDesktopModel(m_desktop);
        m_set = std::make_unique<PanelSet>(IconPanelOptions{}, m_model.get(), true);
    }
    TodoController *make(bool visible, DesktopLayer *layer = nullptr)
    {
        Settings::instance()->setValue(SettingsKeys::todoVisible, visible);
        makeSet();
        m_set->setHideToTray(true);
        m_todo = std::make_unique<TodoController>(m_set.get(), layer, m_env->home() + "/todo.json");
        m_set->showAll(false);
        return m_todo.get();
    }
    bool stored() const { return Settings::instance()->value(SettingsKeys::todoVisible).toBool(); }

    std::unique_ptr<PanelSet> m_set;
    std::unique_ptr<TodoController> m_todo;
};

QTEST_MAIN(TestTodoController)
#include "test_todocontroller.moc"
