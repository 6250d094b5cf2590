#include "TestEnvironment.h"
#include "app/SettingsKeys.h"
#include "categories/CategoryFilter.h"
#include "categories/PanelSort.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/GuideOverlay.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/PanelFrame.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

QMouseEvent mouseEvent(QEvent::Type type, QWidget *window, QPoint pos,
                       Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    return QMouseEvent(type, QPointF(pos), QPointF(window->mapToGlobal(pos)), button, buttons,
                       Qt::NoModifier);
}

// Drops go to the widget that accepted the drag's enter event, as in a real drag.
bool dropOn(QWidget *viewport, QPoint pos, QMimeData *mime)
{
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

void send(QWidget *window, QEvent::Type type, QPoint pos)
{
    QMouseEvent event =
        mouseEvent(type, window, pos, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton);
    QApplication::sendEvent(window, &event);
}

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

QAction *actionNamed(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestIconPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void edges_data();
    void edges();
    void resizeClamps_data();
    void resizeClamps();
    void preferredSize_data();
    void preferredSize();
    void gridCells_data();
    void gridCells();
    void lockProtocol_data();
    void lockProtocol();
    void geometryRestore_data();
    void geometryRestore();
    void collapseAndViewModes();
    void dropRows_data();
    void dropRows();
    void dropMarker();
    void internalDropReorders();
    void externalDropSignals_data();
    void externalDropSignals();
    void contextMenu_data();
    void contextMenu();
    void rename_data();
    void rename();
    void bodyPainting_data();
    void bodyPainting();
    void screenshots_data();
    void screenshots();

private:
    IconPanel *makePanel(const QString &panelId, int files, IconPanel::Options options = {});

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<IconPanel> m_panel;
};

void TestIconPanel::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    PanelLayoutStore::discardState();
    m_desktop = std::make_shared<FakeDesktopSource::State>();
}

void TestIconPanel::cleanup()
{
    m_panel.reset();
    m_model.reset();
    PanelLayoutStore::discardState();
    m_env.reset();
}

IconPanel *TestIconPanel::makePanel(const QString &panelId, int files, IconPanel::Options options)
{
    for (int i = 0; i < files; ++i)
        m_desktop->entries.append(FakeDesktopSource::file(QStringLiteral("/d/file %1.txt").arg(i)));
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop));
    auto *filter = new CategoryFilter(panelId);
    filter->setSourceModel(m_model.get());
    m_panel = std::make_unique<IconPanel>(options, m_model.get(), filter, QStringLiteral("Documents"),
                                          PanelLayoutStore::settingsPrefix(panelId));
    filter->setParent(m_panel.get());
    return m_panel.get();
}

void TestIconPanel::edges_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("horizontalOnly");
    QTest::addColumn<int>("edges");
    QTest::newRow("right border") << QPoint(297, 100) << false << int(Qt::RightEdge);
    QTest::newRow("corner square") << QPoint(10, 10) << false << int(Qt::TopEdge | Qt::LeftEdge);
    QTest::newRow("left border only") << QPoint(3, 100) << false << int(Qt::LeftEdge);
    QTest::newRow("near left, not on it") << QPoint(10, 100) << false << 0;
    QTest::newRow("bottom right corner") << QPoint(290, 190) << false << int(Qt::BottomEdge | Qt::RightEdge);
    QTest::newRow("top border") << QPoint(150, 5) << false << int(Qt::TopEdge);
    QTest::newRow("inside") << QPoint(150, 100) << false << 0;
    QTest::newRow("outside") << QPoint(300, 100) << false << 0;
    QTest::newRow("collapsed corner") << QPoint(10, 10) << true << int(Qt::LeftEdge);
    QTest::newRow("collapsed top") << QPoint(150, 2) << true << 0;
}

void TestIconPanel::edges()
{
    QFETCH(QPoint, point);
    QFETCH(bool, horizontalOnly);
    QFETCH(int, edges);
    QCOMPARE(int(PanelFrame::edgesAt(QSize(300, 200), point, false, horizontalOnly)), edges);
    QCOMPARE(int(PanelFrame::edgesAt(QSize(300, 200), point, true, horizontalOnly)), 0);
}

void TestIconPanel::resizeClamps_data()
{
    QTest::addColumn<int>("edges");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");
    const QRect r0(100, 100, 300, 200);
    QTest::newRow("left past minimum keeps right")
        << int(Qt::LeftEdge) << QPoint(250, 0) << QRect(180, 100, 220, 200);
    QTest::newRow("top past minimum keeps bottom")
        << int(Qt::TopEdge) << QPoint(0, 150) << QRect(100, 152, 300, 148);
    QTest::newRow("right grows") << int(Qt::RightEdge) << QPoint(40, 9) << QRect(100, 100, 340, 200);
    QTest::newRow("bottom right shrinks to minimum")
        << int(Qt::BottomEdge | Qt::RightEdge) << QPoint(-500, -500) << QRect(100, 100, 220, 148);
    QTest::newRow("top left grows") << int(Qt::TopEdge | Qt::LeftEdge) << QPoint(-10, -20)
                                    << QRect(90, 80, 310, 220);
}

void TestIconPanel::resizeClamps()
{
    QFETCH(int, edges);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    QCOMPARE(PanelFrame::resized(QRect(100, 100, 300, 200), delta, Qt::Edges(edges), QSize(220, 148)),
             expected);
}

void TestIconPanel::preferredSize_data()
{
    QTest::addColumn<bool>("list");
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("maxHeight");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("grid empty") << false << 48 << 0 << 1000 << QSize(252, 172);
    QTest::newRow("grid one") << false << 48 << 1 << 1000 << QSize(252, 172);
    QTest::newRow("grid seven") << false << 48 << 7 << 1000 << QSize(356, 388);
    QTest::newRow("grid clamped") << false << 48 << 7 << 200 << QSize(356, 200);
    QTest::newRow("grid never below minimum") << false << 48 << 7 << 10 << QSize(356, 148);
    QTest::newRow("grid large icons") << false << 96 << 2 << 1000 << QSize(348, 220);
    QTest::newRow("list one") << true << 48 << 1 << 1000 << QSize(260, 84);
    QTest::newRow("list five") << true << 48 << 5 << 1000 << QSize(260, 212);
    QTest::newRow("list clamped") << true << 48 << 50 << 300 << QSize(260, 300);
}

void TestIconPanel::preferredSize()
{
    QFETCH(bool, list);
    QFETCH(int, iconSize);
    QFETCH(int, items);
    QFETCH(int, maxHeight);
    QFETCH(QSize, expected);
    IconPanel::Options options;
    options.listView = list;
    options.iconSize = iconSize;
    IconPanel *panel = makePanel(QStringLiteral("documents"), items, options);
    QCOMPARE(panel->itemCount(), items);
    QCOMPARE(panel->preferredSize(maxHeight), expected);
    panel->setCollapsed(true);
    QCOMPARE(panel->preferredSize(maxHeight).height(), list ? 46 : 54);
}

void TestIconPanel::gridCells_data()
{
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<QSize>("grid");
    QTest::addColumn<QSize>("list");
    QTest::newRow("32") << 32 << QSize(104, 92) << QSize(20, 20);
    QTest::newRow("48") << 48 << QSize(104, 108) << QSize(20, 20);
    QTest::newRow("96") << 96 << QSize(152, 156) << QSize(20, 20);
}

void TestIconPanel::gridCells()
{
    QFETCH(int, iconSize);
    QFETCH(QSize, grid);
    QFETCH(QSize, list);
    IconPanel *panel = makePanel(QStringLiteral("documents"), 3);
    panel->resize(400, 400);
    panel->setIconSize(iconSize);
    QCOMPARE(panel->view()->gridSize(), grid);
    QCOMPARE(panel->view()->iconSize(), QSize(iconSize, iconSize));
    panel->setListView(true);
    QCOMPARE(panel->view()->iconSize(), list);
    QCOMPARE(panel->view()->gridSize(), QSize(panel->view()->viewport()->width(), 32));
    QCOMPARE(panel->view()->property("compact").toBool(), true);
}

void TestIconPanel::lockProtocol_data()
{
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("saves");
    QTest::newRow("unlocked") << false << false << true << true;
    QTest::newRow("locked") << true << false << false << true;
    QTest::newRow("locked and pinned") << true << true << true << false;
}

void TestIconPanel::lockProtocol()
{
    QFETCH(bool, locked);
    QFETCH(bool, pinned);
    QFETCH(bool, moves);
    QFETCH(bool, saves);
    IconPanel *panel = makePanel(QStringLiteral("documents"), 2);
    if (pinned) {
        auto *onTop = new QAction(panel);
        onTop->setObjectName(QStringLiteral("panelAlwaysOnTop"));
        onTop->setCheckable(true);
        onTop->setChecked(true);
    }
    panel->applyGeometry(QRect(200, 150, 300, 250), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    panel->setLayoutLocked(locked);
    QCOMPARE(panel->property("panelLayoutLocked").toBool(), locked);

    const QPoint start = panel->pos();
    send(panel, QEvent::MouseButtonPress, QPoint(100, 20));
    send(panel, QEvent::MouseMove, QPoint(140, 60));
    send(panel, QEvent::MouseButtonRelease, QPoint(140, 60));
    QCOMPARE(panel->pos() != start, moves);
    if (moves)
        QVERIFY(panel->isUserPlaced());
    QCOMPARE(panel->property("lockedPanelPosition").toPoint(), pinned ? start : QPoint());
    QCOMPARE(panel->property("lockedPanelPosition").isValid(), pinned);

    QSettings().remove(QStringLiteral("panel/documents/geometry"));
    panel->storePanelGeometry();
    QCOMPARE(QSettings().contains(QStringLiteral("panel/documents/geometry")), saves);

    // Resizing from an edge is refused whenever the layout is locked.
    const QSize size = panel->size();
    send(panel, QEvent::MouseButtonPress, QPoint(panel->width() - 2, 100));
    send(panel, QEvent::MouseMove, QPoint(panel->width() + 60, 100));
    send(panel, QEvent::MouseButtonRelease, QPoint(panel->width() + 60, 100));
    QCOMPARE(panel->size() != size, !locked);

    panel->setLayoutLocked(false);
    QVERIFY(!panel->property("lockedPanelPosition").isValid());
}

void TestIconPanel::geometryRestore_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<int>("storedIconSize");
    QTest::addColumn<int>("storedVersion");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("needsRelayout");
    const QRect onScreen(50, 60, 300, 240);
    QTest::newRow("current") << onScreen << 48 << 3 << true << false;
    QTest::newRow("other icon size") << onScreen << 64 << 3 << true << true;
    QTest::newRow("old layout") << onScreen << 48 << 2 << true << true;
    QTest::newRow("removed monitor") << QRect(-5000, -5000, 300, 240) << 48 << 3 << false << false;
    QTest::newRow("invalid") << QRect() << 48 << 3 << false << false;
}

void TestIconPanel::geometryRestore()
{
    QFETCH(QRect, stored);
    QFETCH(int, storedIconSize);
    QFETCH(int, storedVersion);
    QFETCH(bool, restored);
    QFETCH(bool, needsRelayout);
    QSettings settings;
    settings.setValue(QStringLiteral("panel/documents/geometry"), stored);
    settings.setValue(QStringLiteral("panel/documents/iconSize"), storedIconSize);
    settings.setValue(QStringLiteral("panel/documents/layoutVersion"), storedVersion);
    settings.setValue(QStringLiteral("panel/documents/userPlaced"), true);
    IconPanel *panel = makePanel(QStringLiteral("documents"), 2);
    QCOMPARE(panel->restorePanelGeometry(), restored);
    QCOMPARE(panel->geometryRestored(), restored);
    QCOMPARE(panel->needsRelayout(), needsRelayout);
    if (!restored) {
        // Nothing placed yet: nothing is written back either.
        panel->storePanelGeometry();
        QCOMPARE(settings.value(QStringLiteral("panel/documents/geometry")).toRect(), stored);
        return;
    }
    QCOMPARE(panel->geometry(), stored);
    QVERIFY(panel->isUserPlaced());
    panel->applyGeometry(QRect(10, 20, 330, 260), false);
    panel->storePanelGeometry();
    QCOMPARE(settings.value(QStringLiteral("panel/documents/geometry")).toRect(), QRect(10, 20, 330, 260));
    QCOMPARE(settings.value(QStringLiteral("panel/documents/iconSize")).toInt(), 48);
    QCOMPARE(settings.value(QStringLiteral("panel/documents/layoutVersion")).toInt(), 3);
    QCOMPARE(settings.value(QStringLiteral("panel/documents/userPlaced")).toBool(), false);
    QCOMPARE(settings.value(QStringLiteral("panel/documents/expandedHeight")).toInt(), 260);
}

void TestIconPanel::collapseAndViewModes()
{
    IconPanel *panel = makePanel(QStringLiteral("documents"), 4);
    panel->applyGeometry(QRect(0, 0, 300, 320), false);
    QSignalSpy viewChanged(panel, &IconPanel::viewModeChanged);
    QSettings settings;

    panel->setCollapsed(true);
    QCOMPARE(panel->height(), 54);
    QCOMPARE(panel->minimumHeight(), 54);
    QCOMPARE(panel->maximumHeight(), 54);
    QCOMPARE(settings.value(QStringLiteral("panel/documents/expandedHeight")).toInt(), 320);
    QVERIFY(settings.value(QStringLiteral("panel/documents/collapsed")).toBool());
    panel->setCollapsed(false);
    QCOMPARE(panel->height(), 320);
    QCOMPARE(panel->maximumHeight(), QWIDGETSIZE_MAX);

    panel->setViewMode(IconPanel::List);
    QVERIFY(panel->isListView());
    QCOMPARE(settings.value(QStringLiteral("panel/documents/viewMode")).toString(), QStringLiteral("list"));
    QCOMPARE(panel->minimumWidth(), 180);
    // Automatic forgets the choice but keeps the presentation until re-arranged.
    panel->setViewMode(IconPanel::Automatic);
    QVERIFY(!settings.contains(QStringLiteral("panel/documents/viewMode")));
    QVERIFY(panel->isListView());
    panel->setViewMode(IconPanel::Automatic);
    QCOMPARE(viewChanged.count(), 2);

    // The toggle button flips the presentation.
    panel->findChild<QPushButton *>(QStringLiteral("viewToggle"))->click();
    QCOMPARE(panel->viewMode(), IconPanel::Grid);
    QVERIFY(!panel->isListView());
    QCOMPARE(panel->findChild<QPushButton *>(QStringLiteral("viewToggle"))->toolTip(),
             QStringLiteral("Show these as a list"));
}

void TestIconPanel::dropRows_data()
{
    QTest::addColumn<bool>("list");
    QTest::addColumn<bool>("rightToLeft");
    QTest::addColumn<QPoint>("cellFraction"); // position within a cell grid, in tenths of cells
    QTest::addColumn<int>("row");
    // Grid of 5 items in a view three cells wide: row 0 = items 0-2, row 1 = items 3-4.
    QTest::newRow("grid left half of first") << false << false << QPoint(3, 5) << 0;
    QTest::newRow("grid right half of first") << false << false << QPoint(7, 5) << 1;
    QTest::newRow("grid right of line end") << false << false << QPoint(27, 5) << 3;
    QTest::newRow("grid right of last") << false << false << QPoint(17, 15) << 5;
    QTest::newRow("grid below everything") << false << false << QPoint(5, 40) << 5;
    QTest::newRow("rtl right half of first") << false << true << QPoint(27, 5) << 0;
    QTest::newRow("rtl left half of first") << false << true << QPoint(23, 5) << 1;
    QTest::newRow("list top half") << true << false << QPoint(5, 2) << 0;
    QTest::newRow("list bottom half") << true << false << QPoint(5, 7) << 1;
    QTest::newRow("list past end") << true << false << QPoint(5, 80) << 5;
}

void TestIconPanel::dropRows()
{
    QFETCH(bool, list);
    QFETCH(bool, rightToLeft);
    QFETCH(QPoint, cellFraction);
    QFETCH(int, row);
    IconPanel::Options options;
    options.listView = list;
    IconPanel *panel = makePanel(QStringLiteral("documents"), 5, options);
    panel->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    panel->applyGeometry(QRect(0, 0, 3 * 104 + 32 + 12, 600), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    ItemDragView *view = panel->view();
    const QSize cell = list ? QSize(view->viewport()->width(), 32) : QSize(104, 108);
    QCOMPARE(view->gridSize(), cell);
    const QRect first = view->visualRect(view->model()->index(0, 0));
    const int x = rightToLeft ? first.right() + 1 - 3 * cell.width() : first.left();
    const QPoint pos(x + cellFraction.x() * cell.width() / 10,
                     first.top() + cellFraction.y() * cell.height() / 10);
    QCOMPARE(view->dropRowAt(pos), row);
}

void TestIconPanel::dropMarker()
{
    IconPanel *empty = makePanel(QStringLiteral("documents"), 0);
    empty->show();
    empty->view()->showDropMarker(empty->view()->dropRowAt(QPoint(10, 10)));
    QCOMPARE(empty->view()->dropRowAt(QPoint(10, 10)), 0);
    QVERIFY(!empty->view()->dropMarker()->isVisible());
    m_panel.reset();
    m_desktop->entries.clear();

    IconPanel::Options options;
    options.listView = true;
    IconPanel *panel = makePanel(QStringLiteral("documents"), 3, options);
    panel->applyGeometry(QRect(0, 0, 260, 400), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    ItemDragView *view = panel->view();
    QWidget *marker = view->findChild<QWidget *>(QStringLiteral("itemDropMarker"));
    QCOMPARE(marker, view->dropMarker());
    const QRect second = view->visualRect(view->model()->index(1, 0));
    view->showDropMarker(1);
    QVERIFY(marker->isVisible());
    QCOMPARE(marker->geometry(), QRect(second.left() + 3, second.top(), second.width() - 6, 2));
    const QRect last = view->visualRect(view->model()->index(2, 0));
    view->showDropMarker(3);
    QCOMPARE(marker->geometry(), QRect(last.left() + 3, last.bottom() - 1, last.width() - 6, 2));

    view->setPresentation(false, 48);
    const QRect first = view->visualRect(view->model()->index(0, 0));
    view->showDropMarker(0);
    QCOMPARE(marker->geometry(), QRect(first.left(), first.top() + 3, 2, first.height() - 6));
}

void TestIconPanel::internalDropReorders()
{
    IconPanel *panel = makePanel(QStringLiteral("documents"), 4, {});
    panel->applyGeometry(QRect(0, 0, 260 + 32 + 12, 600), false);
    QSettings().setValue(QStringLiteral("panel/documents/sortReversed"), true);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    ItemDragView *view = panel->view();
    const QString moved = QStringLiteral("/d/file 3.txt");
    auto *mime = new QMimeData;
    mime->setData(DesktopModel::itemMimeType(), moved.toUtf8());
    const QPoint target = view->visualRect(view->model()->index(1, 0)).center() - QPoint(20, 0);
    QSignalSpy dropped(panel, &IconPanel::itemsDropped);
    QVERIFY(dropOn(view->viewport(), target, mime));
    QCOMPARE(dropped.count(), 0);
    const QStringList expected{"/d/file 0.txt", "/d/file 3.txt", "/d/file 1.txt", "/d/file 2.txt"};
    QTRY_COMPARE(panel->sortProxy()->manualOrder(), expected);
    PanelLayoutStore::discardState(); // read back from panels.json
    QCOMPARE(PanelLayoutStore::itemOrder(QStringLiteral("panel/documents")), expected);
    QCOMPARE(QSettings().value(QStringLiteral("panel/documents/sortKey")).toString(),
             QStringLiteral("manual"));
    QCOMPARE(QSettings().value(QStringLiteral("panel/documents/sortReversed")).toBool(), false);
    QCOMPARE(view->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(view->selectionModel()->selectedIndexes().first().data(DesktopModel::KeyRole).toString(), moved);
    delete mime;
}

void TestIconPanel::externalDropSignals_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("category panel") << false << QByteArray("/e/a\n\n/e/b") << QStringList{"/e/a", "/e/b"};
    QTest::newRow("custom panel") << true << QByteArray("/e/a") << QStringList{"/e/a"};
    QTest::newRow("mixed with own item")
        << false << QByteArray("/d/file 0.txt\n/e/x") << QStringList{"/d/file 0.txt", "/e/x"};
}

void TestIconPanel::externalDropSignals()
{
    QFETCH(bool, custom);
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, keys);
    const QString id =
        custom ? PanelLayoutStore::createPanel(QStringLiteral("Mine")) : QStringLiteral("documents");
    if (custom)
        PanelLayoutStore::assignItems({QStringLiteral("/d/file 0.txt")}, id);
    IconPanel *panel = makePanel(id, 2);
    panel->show();
    QMimeData mime;
    mime.setData(DesktopModel::itemMimeType(), payload);
    QSignalSpy dropped(panel, &IconPanel::itemsDropped);
    QVERIFY(dropOn(panel->view()->viewport(), QPoint(20, 20), &mime));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toStringList(), keys);
    QCOMPARE(dropped.at(0).at(1).toString(), custom ? id : QString());

    // Other formats are not taken.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel->view()->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
}

void TestIconPanel::contextMenu_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<bool>("onItem");
    QTest::addColumn<QStringList>("entries");
    const QStringList tail{"|",
                           "Edit categories...",
                           "Refresh",
                           "Lock layout",
                           "Tidy panels",
                           "Collapse",
                           "Sort by",
                           "Show as",
                           "Icon size",
                           "Show the real desktop icons",
                           "Start with Windows",
                           "|",
                           "Quit"};
    QTest::newRow("empty space") << false << false << (QStringList{"Show To-do list", "New panel"} + tail);
    QTest::newRow("on an item") << false << true
                                << (QStringList{"Open", "Open file location", "Properties", "|",
                                                "Show To-do list", "New panel"} +
                                    tail);
    QTest::newRow("custom panel")
        << true << false
        << (QStringList{"Show To-do list", "New panel", "Rename this panel", "Remove this panel"} + tail);
}

void TestIconPanel::contextMenu()
{
    QFETCH(bool, custom);
    QFETCH(bool, onItem);
    QFETCH(QStringList, entries);
    const QString id = custom ? PanelLayoutStore::createPanel(QString()) : QStringLiteral("documents");
    IconPanel *panel = makePanel(id, custom ? 0 : 2);
    panel->applyGeometry(QRect(0, 0, 300, 300), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    const QPoint pos = onItem ? panel->view()->visualRect(panel->view()->model()->index(0, 0)).center()
                              : QPoint(5, panel->view()->viewport()->height() - 5);
    std::unique_ptr<QMenu> menu = panel->createContextMenu(pos);
    QCOMPARE(actionTexts(menu.get()), entries);
    QVERIFY(actionNamed(menu.get(), "Show To-do list")->isChecked());
    QVERIFY(!actionNamed(menu.get(), "Lock layout")->isChecked());
    QVERIFY(actionNamed(menu.get(), "Tidy panels")->isEnabled());

    const QMenu *sort = actionNamed(menu.get(), "Sort by")->menu();
    QCOMPARE(actionTexts(sort),
             (QStringList{"Manual order", "Desktop order", "Name", "Type", "|", "Reversed"}));
    QVERIFY(actionNamed(sort, "Desktop order")->isChecked());
    QCOMPARE(actionTexts(actionNamed(menu.get(), "Show as")->menu()),
             (QStringList{"Grid", "List", "Automatic"}));
    QVERIFY(actionNamed(actionNamed(menu.get(), "Show as")->menu(), "Automatic")->isChecked());
    const QMenu *sizes = actionNamed(menu.get(), "Icon size")->menu();
    QCOMPARE(actionTexts(sizes), (QStringList{"Small", "Medium", "Large"}));
    QVERIFY(actionNamed(sizes, "Medium")->isChecked());

    // Choices act: a sort key is stored, a size is requested, locking is requested.
    actionNamed(sort, "Name")->trigger();
    QCOMPARE(QSettings().value(QStringLiteral("%1/sortKey").arg(panel->settingsPrefix())).toString(),
             QStringLiteral("name"));
    QCOMPARE(panel->sortProxy()->sortMode(), PanelSort::Name);
    QSignalSpy sizeRequests(panel, &IconPanel::iconSizeRequested);
    actionNamed(sizes, "Large")->trigger();
    QCOMPARE(sizeRequests.value(0).value(0).toInt(), 96);
    QSignalSpy lockRequests(panel, &IconPanel::layoutLockRequested);
    actionNamed(menu.get(), "Lock layout")->trigger();
    QCOMPARE(lockRequests.value(0).value(0).toBool(), true);

    panel->setLayoutLocked(true);
    panel->setTodoVisible(false);
    std::unique_ptr<QMenu> locked = panel->createContextMenu(pos);
    QVERIFY(!actionNamed(locked.get(), "Tidy panels")->isEnabled());
    QVERIFY(actionNamed(locked.get(), "Lock layout")->isChecked());
    QVERIFY(!actionNamed(locked.get(), "Show To-do list")->isChecked());
}

void TestIconPanel::rename_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("commit");
    QTest::addColumn<QString>("requested");
    QTest::newRow("new name") << true << "  Work  " << true << "Work";
    QTest::newRow("same name") << true << "Mine" << true << QString();
    QTest::newRow("blanks") << true << "   " << true << QString();
    QTest::newRow("escape") << true << "Other" << false << QString();
    QTest::newRow("category panel") << false << "Other" << true << QString();
}

void TestIconPanel::rename()
{
    QFETCH(bool, custom);
    QFETCH(QString, typed);
    QFETCH(bool, commit);
    QFETCH(QString, requested);
    const QString id =
        custom ? PanelLayoutStore::createPanel(QStringLiteral("Mine")) : QStringLiteral("documents");
    IconPanel *panel = makePanel(id, 1);
    panel->setTitle(QStringLiteral("Mine"));
    panel->applyGeometry(QRect(0, 0, 300, 300), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    QSignalSpy renamed(panel, &IconPanel::renamePanelRequested);
    // A double click on the title band opens the editor, for custom panels only.
    QTest::mouseDClick(panel, Qt::LeftButton, {}, QPoint(120, 20));
    auto *editor = panel->findChild<QLineEdit *>();
    QCOMPARE(editor->isVisible(), custom);
    if (!custom)
        return;
    QCOMPARE(editor->text(), QStringLiteral("Mine"));
    editor->setText(typed);
    if (commit)
        QTest::keyClick(editor, Qt::Key_Return);
    else
        QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QCOMPARE(renamed.count(), requested.isEmpty() ? 0 : 1);
    if (!requested.isEmpty())
        QCOMPARE(renamed.at(0), (QVariantList{id, requested}));
}

void TestIconPanel::bodyPainting_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<bool>("opaque");
    QTest::addColumn<int>("expectedAlpha");
    QTest::newRow("default glass") << 78 << false << 198;
    QTest::newRow("half") << 50 << false << 127;
    QTest::newRow("clear") << 0 << false << 0;
    QTest::newRow("opaque") << 30 << true << 255;
}

void TestIconPanel::bodyPainting()
{
    QFETCH(int, alpha);
    QFETCH(bool, opaque);
    QFETCH(int, expectedAlpha);
    IconPanel::Options options;
    options.alpha = alpha;
    options.opaque = opaque;
    IconPanel *panel = makePanel(QStringLiteral("documents"), 0, options);
    panel->resize(300, 200);
    QImage image(panel->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    panel->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QColor body = image.pixelColor(150, 190);
    QCOMPARE(body.alpha(), expectedAlpha);
    if (expectedAlpha > 100) {
        QVERIFY(qAbs(body.red() - 0x1c) <= 2 && qAbs(body.green() - 0x1f) <= 2 &&
                qAbs(body.blue() - 0x26) <= 2);
    }
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // rounded corner stays clear
    QCOMPARE(panel->testAttribute(Qt::WA_TranslucentBackground), !opaque);
    // The category glyph is drawn in light ink in its 16 px box in the title band.
    int brightest = 0;
    for (int y = 14; y < 30; ++y) {
        for (int x = 16; x < 32; ++x)
            brightest = std::max(brightest, qGray(image.pixel(x, y)) * qAlpha(image.pixel(x, y)) / 255);
    }
    QVERIFY(brightest > 120);
}

void TestIconPanel::screenshots_data()
{
    QTest::addColumn<bool>("list");
    QTest::addColumn<int>("iconSize");
    QTest::newRow("grid-32") << false << 32;
    QTest::newRow("grid-96") << false << 96;
    QTest::newRow("list-32") << true << 32;
    QTest::newRow("list-96") << true << 96;
}

void TestIconPanel::screenshots()
{
    QFETCH(bool, list);
    QFETCH(int, iconSize);
    IconPanel::Options options;
    options.listView = list;
    options.iconSize = iconSize;
    IconPanel *panel = makePanel(QStringLiteral("documents"), 7, options);
    m_model->setIconSize(iconSize);
    panel->applyGeometry(QRect(QPoint(0, 0), panel->preferredSize(600)), false);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    const QImage shot = panel->grab().toImage();
    QCOMPARE(shot.size() / shot.devicePixelRatio(), panel->size());
    const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots");
    QDir().mkpath(dir);
    QVERIFY(shot.save(
        QStringLiteral("%1/iconpanel-%2.png").arg(dir, QString::fromLatin1(QTest::currentDataTag()))));
}

QTEST_MAIN(TestIconPanel)
#include "test_iconpanel.moc"
