#include "TestEnvironment.h"
#include "base/Settings.h"
#include "fakes/FakeWindowStacking.h"
#include "shell/DesktopLayer.h"
#include "shell/freedesktop/FreedesktopWindowStacking.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

using Layer = WindowStacking::Layer;

// Ids of the other programs' windows in a stack description, far from the
// ones the offscreen platform hands out.
constexpr WId desktopId = 900001;
constexpr WId otherId = 900002;     // an ordinary application window
constexpr WId keptBelowId = 900003; // another program's keep-below window
constexpr WId elsewhereId = 900004; // a keep-below window on another workspace

// A panel that remembers the context-menu events that reached it.
class Panel : public QWidget
{
public:
    Panel()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    {
        resize(200, 150);
    }
    int menuEvents = 0;
    // What Qt does when it must change what cannot be changed on a live window.
    void recreate()
    {
        destroy();
        create();
    }

protected:
    void contextMenuEvent(QContextMenuEvent *) override { ++menuEvents; }
};

} // namespace

class TestDesktopLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pass_data();
    void pass();
    void twoPanelsEndInRegistrationOrder();
    void unrepairableOrderSlowsTheCheck();
    void repairingKeepsTheSlowPace();
    void pinningKeepsAboveAndStores_data();
    void pinningKeepsAboveAndStores();
    void storedPinWinsOverTheDefault();
    void foregroundChangeStartsBurst();
    void withoutWindowManagerNothingIsAsked();
    void panelsArePreparedAgainWhenRecreated();
    void untrackedAndDestroyedWindowsDropOut();
    void titleBandMenu_data();
    void titleBandMenu();
    void withoutX11_data();
    void withoutX11();
    void bareServerHasNoWindowManager();

private:
    // A layer over a fresh fake with two unpinned panels registered A then B.
    void setUpTwoPanels();
    // Lays the stack out from a description, bottom first: D desktop, A and B
    // the panels, x an application window, k another program's keep-below
    // window, h a keep-below window on another workspace, b B pinned.
    void layOut(const QString &stack);
    QString describe() const;

    std::unique_ptr<TestEnvironment> m_env;
    FakeWindowStacking *m_fake = nullptr;
    std::unique_ptr<DesktopLayer> m_layer;
    std::unique_ptr<Panel> m_a;
    std::unique_ptr<Panel> m_b;
};

void TestDesktopLayer::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    m_fake = new FakeWindowStacking;
    m_layer = std::make_unique<DesktopLayer>(m_fake, false);
}

void TestDesktopLayer::cleanup()
{
    m_a.reset();
    m_b.reset();
    m_layer.reset();
    m_env.reset();
}

void TestDesktopLayer::setUpTwoPanels()
{
    m_a = std::make_unique<Panel>();
    m_b = std::make_unique<Panel>();
    m_layer->track(m_a.get(), QStringLiteral("panel/documents"));
    m_layer->track(m_b.get(), QStringLiteral("panel/images"));
    m_a->show();
    m_b->show();
}

void TestDesktopLayer::layOut(const QString &stack)
{
    QList<FakeWindowStacking::Window> windows;
    for (const QString &token : stack.split(u' ', Qt::SkipEmptyParts)) {
        if (token == "D")
            windows.append({desktopId, Layer::Normal, true, true, false});
        else if (token == "A")
            windows.append({m_a->winId(), Layer::KeepBelow, false, true, true});
        else if (token == "B")
            windows.append({m_b->winId(), Layer::KeepBelow, false, true, true});
        else if (token == "b") // B pinned
            windows.append({m_b->winId(), Layer::KeepAbove, false, true, true});
        else if (token == "x")
            windows.append({otherId, Layer::Normal, false, true, false});
        else if (token == "k")
            windows.append({keptBelowId, Layer::KeepBelow, false, true, false});
        else if (token == "h")
            windows.append({elsewhereId, Layer::KeepBelow, false, false, false});
    }
    m_fake->setWindows(windows);
    m_fake->log.clear();
}

QString TestDesktopLayer::describe() const
{
    QStringList tokens;
    for (const FakeWindowStacking::Window &w : m_fake->windows()) {
        if (w.id == desktopId)
            tokens.append("D");
        else if (w.id == m_a->winId())
            tokens.append("A");
        else if (w.id == m_b->winId())
            tokens.append("B");
        else if (w.id == otherId)
            tokens.append("x");
        else if (w.id == keptBelowId)
            tokens.append("k");
        else if (w.id == elsewhereId)
            tokens.append("h");
    }
    return tokens.join(u' ');
}

void TestDesktopLayer::pass_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("ourWindowActive");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("restacked");

    QTest::newRow("order right") << "D B A x" << false << "D B A x" << false;
    QTest::newRow("panels swapped") << "D A B x" << false << "D B A x" << true;
    QTest::newRow("another keep-below window between") << "D k B A x" << false << "D B A k x" << true;
    QTest::newRow("window on another workspace between") << "D h B A x" << false << "D h B A x" << false;
    QTest::newRow("our window active") << "D A B x" << true << "D A B x" << false;
    QTest::newRow("no desktop window, order right") << "B A x" << false << "B A x" << false;
    QTest::newRow("no desktop window, swapped") << "A B x" << false << "B A x" << true;
}

void TestDesktopLayer::pass()
{
    QFETCH(QString, before);
    QFETCH(bool, ourWindowActive);
    QFETCH(QString, after);
    QFETCH(bool, restacked);

    setUpTwoPanels();
    layOut(before);
    m_fake->active = ourWindowActive ? m_a->winId() : otherId;
    m_layer->restack();

    QCOMPARE(describe(), after);
    const bool asked = !m_fake->log.filter(QRegularExpression("^restack ")).isEmpty();
    QCOMPARE(asked, restacked);
    QCOMPARE(m_layer->failedPasses(), 0);
}

void TestDesktopLayer::twoPanelsEndInRegistrationOrder()
{
    // Shown one after the other, each new window lands on top of its layer;
    // the layer puts the later one directly above the desktop.
    m_fake->setWindows({{desktopId, Layer::Normal, true, true, false}, {otherId}});
    m_fake->active = otherId;
    setUpTwoPanels();
    m_layer->reassert();
    QCOMPARE(describe(), "D B A x");
    QCOMPARE(m_fake->layer(m_a->winId()), Layer::KeepBelow);
    QCOMPARE(m_fake->layer(m_b->winId()), Layer::KeepBelow);
}

void TestDesktopLayer::unrepairableOrderSlowsTheCheck()
{
    setUpTwoPanels();
    layOut("D A B x");
    m_fake->ignoresRestack = true;
    m_layer->restack();
    QCOMPARE(m_layer->failedPasses(), 1);
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::checkMs);
    // A burst ends at its first failed pass instead of hammering on.
    m_layer->reassert();
    QTRY_VERIFY(!m_layer->isBurstRunning());
    QVERIFY(m_layer->failedPasses() >= 3);

    for (int i = 0; i < DesktopLayer::failuresBeforeSlowing; ++i)
        m_layer->restack();
    QCOMPARE(m_layer->failedPasses(), DesktopLayer::failuresBeforeSlowing);
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::slowCheckMs);
    // Each failed attempt asked the window manager and waited for it.
    QVERIFY(m_fake->log.contains("wait"));

    // The obstacle went away by itself: the steady pace comes back.
    m_fake->ignoresRestack = false;
    layOut("D B A x");
    m_layer->restack();
    QCOMPARE(m_layer->failedPasses(), 0);
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::checkMs);
    QVERIFY(m_fake->log.filter(QRegularExpression("^restack ")).isEmpty());
}

void TestDesktopLayer::repairingKeepsTheSlowPace()
{
    setUpTwoPanels();
    layOut("D A B x");
    m_fake->ignoresRestack = true;
    for (int i = 0; i < DesktopLayer::failuresBeforeSlowing; ++i)
        m_layer->restack();
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::slowCheckMs);

    m_fake->ignoresRestack = false;
    m_layer->restack();
    QCOMPARE(describe(), "D B A x");
    QCOMPARE(m_layer->failedPasses(), 0);
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::slowCheckMs);

    // Pinning or unpinning always returns to the steady pace.
    m_layer->setKeepOnTop(m_a.get(), false);
    QCOMPARE(m_layer->checkInterval(), DesktopLayer::checkMs);
    QVERIFY(m_layer->isBurstRunning());
}

void TestDesktopLayer::pinningKeepsAboveAndStores_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("topmostDefault");

    QTest::newRow("panel") << "panel/documents" << false;
    QTest::newRow("panel, started topmost") << "panel/documents" << true;
    QTest::newRow("loose item") << "" << false;
    QTest::newRow("loose item, started topmost") << "" << true;
}

void TestDesktopLayer::pinningKeepsAboveAndStores()
{
    QFETCH(QString, group);
    QFETCH(bool, topmostDefault);
    m_layer = std::make_unique<DesktopLayer>(m_fake = new FakeWindowStacking, topmostDefault);
    m_fake->setWindows({{desktopId, Layer::Normal, true, true, false}, {otherId}});
    m_fake->active = otherId;
    m_a = std::make_unique<Panel>();
    m_a->show();
    m_layer->track(m_a.get(), group);
    auto *action = m_a->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName);
    QVERIFY(action);
    QVERIFY(m_a->actions().contains(action));
    QCOMPARE(action->isChecked(), topmostDefault);
    QCOMPARE(m_fake->layer(m_a->winId()), topmostDefault ? Layer::KeepAbove : Layer::KeepBelow);

    // The user's toggle: above everything at once, and remembered for panels.
    action->trigger();
    QCOMPARE(action->isChecked(), !topmostDefault);
    QCOMPARE(m_fake->layer(m_a->winId()), topmostDefault ? Layer::KeepBelow : Layer::KeepAbove);
    const QString key = group + "/keepOnTop";
    if (group.isEmpty()) {
        QVERIFY(QSettings().allKeys().filter("keepOnTop").isEmpty());
    } else {
        QCOMPARE(Settings::instance()->value(key).toBool(), !topmostDefault);
    }
    action->trigger();
    QCOMPARE(m_fake->layer(m_a->winId()), topmostDefault ? Layer::KeepAbove : Layer::KeepBelow);
    if (!group.isEmpty())
        QCOMPARE(Settings::instance()->value(key).toBool(), topmostDefault);
}

void TestDesktopLayer::storedPinWinsOverTheDefault()
{
    Settings::instance()->setValue("panel/images/keepOnTop", true);
    m_layer = std::make_unique<DesktopLayer>(m_fake = new FakeWindowStacking, false);
    setUpTwoPanels();
    QVERIFY(!m_a->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName)->isChecked());
    QVERIFY(m_b->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName)->isChecked());
    QCOMPARE(m_fake->layer(m_b->winId()), Layer::KeepAbove);

    // A pinned window is not part of the desktop-level order: A alone is right.
    layOut("D A x b");
    m_layer->restack();
    QVERIFY(m_fake->log.isEmpty());
}

void TestDesktopLayer::foregroundChangeStartsBurst()
{
    setUpTwoPanels();
    layOut("D B A x");
    m_fake->active = otherId;
    QTRY_VERIFY(!m_layer->isBurstRunning());
    // The other program's window was raised under the panels' noses.
    m_fake->setWindows({{desktopId, Layer::Normal, true, true, false},
                        {m_a->winId(), Layer::KeepBelow, false, true, true},
                        {m_b->winId(), Layer::KeepBelow, false, true, true},
                        {otherId}});
    const int before = m_fake->passes;
    m_fake->activate(otherId);
    QCOMPARE(describe(), "D B A x");
    QVERIFY(m_layer->isBurstRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!m_layer->isBurstRunning(), 10000);
    QVERIFY(m_fake->passes - before > DesktopLayer::burstPasses);

    // Our own window coming forward is no reason for a burst.
    m_fake->activate(m_a->winId());
    QVERIFY(!m_layer->isBurstRunning());
}

void TestDesktopLayer::withoutWindowManagerNothingIsAsked()
{
    m_fake->available = false;
    setUpTwoPanels();
    layOut("D A B x");
    m_layer->reassert();
    QCOMPARE(describe(), "D A B x");
    QVERIFY(m_fake->log.filter(QRegularExpression("^(restack|wait)")).isEmpty());
    QCOMPARE(m_layer->failedPasses(), 0);
    QVERIFY(m_a->isVisible() && m_b->isVisible());
}

void TestDesktopLayer::panelsArePreparedAgainWhenRecreated()
{
    setUpTwoPanels();
    const WId first = m_a->winId();
    QVERIFY(m_fake->log.contains(QStringLiteral("prepare %1 below").arg(first)));

    // Mapped again after being hidden: the window manager forgot the hints.
    m_fake->log.clear();
    m_a->hide();
    m_a->show();
    QVERIFY(m_fake->log.contains(QStringLiteral("prepare %1 below").arg(first)));

    // A new native window (changed window flags make Qt re-create it).
    m_fake->log.clear();
    m_layer->setKeepOnTop(m_a.get(), true);
    m_a->hide();
    m_a->recreate();
    m_a->show();
    QVERIFY(m_a->winId() != first);
    QVERIFY(m_fake->log.contains(QStringLiteral("prepare %1 above").arg(m_a->winId())));
}

void TestDesktopLayer::untrackedAndDestroyedWindowsDropOut()
{
    setUpTwoPanels();
    m_layer->untrack(m_a.get());
    QVERIFY(!m_layer->isTracked(m_a.get()));
    layOut("D B x A");
    m_layer->restack();
    // Only B is still the layer's; it is right above the desktop already.
    QVERIFY(m_fake->log.isEmpty());

    m_b.reset();
    m_layer->restack();
    QVERIFY(m_fake->log.isEmpty());
}

void TestDesktopLayer::titleBandMenu_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<Qt::ContextMenuPolicy>("policy");
    QTest::addColumn<bool>("menuShown");

    QTest::newRow("title band") << 10 << Qt::DefaultContextMenu << true;
    QTest::newRow("last line of the band") << 43 << Qt::DefaultContextMenu << true;
    QTest::newRow("below the band") << 44 << Qt::DefaultContextMenu << false;
    QTest::newRow("custom menu policy") << 10 << Qt::CustomContextMenu << false;
}

void TestDesktopLayer::titleBandMenu()
{
    QFETCH(int, y);
    QFETCH(Qt::ContextMenuPolicy, policy);
    QFETCH(bool, menuShown);
    setUpTwoPanels();
    m_a->setContextMenuPolicy(policy);

    QList<QAction *> shownActions;
    QTimer::singleShot(0, this, [&shownActions] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            shownActions = menu->actions();
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, y), m_a->mapToGlobal(QPoint(20, y)));
    QApplication::sendEvent(m_a.get(), &event);
    QCoreApplication::processEvents();

    QCOMPARE(!shownActions.isEmpty(), menuShown);
    if (menuShown) {
        QCOMPARE(shownActions.size(), 1);
        QCOMPARE(shownActions.first()->objectName(), DesktopLayer::alwaysOnTopActionName);
        QCOMPARE(m_a->menuEvents, 0);
    } else {
        QCOMPARE(m_a->menuEvents, policy == Qt::DefaultContextMenu ? 1 : 0);
    }
}

void TestDesktopLayer::withoutX11_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("not on X11") << QByteArray();
    QTest::newRow("no such display") << QByteArray(":4711");
    QTest::newRow("malformed display") << QByteArray("::not a display::");
}

void TestDesktopLayer::withoutX11()
{
    QFETCH(QByteArray, display);
    FreedesktopWindowStacking stacking(display);
    QVERIFY(!stacking.isAvailable());
    QVERIFY(stacking.stackingOrder().isEmpty());
    QCOMPARE(stacking.desktopWindow(), WId(0));
    QVERIFY(!stacking.isOwnWindowActive());
    // Requests go nowhere, and waiting for nobody ends at once.
    stacking.setLayer(42, Layer::KeepAbove);
    stacking.restackAbove(42, 43);
    stacking.preparePanel(42, Layer::KeepBelow);
    QElapsedTimer waited;
    waited.start();
    stacking.waitForWindowManager();
    QVERIFY(waited.elapsed() < 50);

    // The layer the program makes on this (offscreen) platform: panels show.
    DesktopLayer layer(true);
    Panel panel;
    layer.track(&panel, "panel/documents");
    panel.show();
    layer.reassert();
    QVERIFY(panel.isVisible());
    QCOMPARE(layer.failedPasses(), 0);
}

void TestDesktopLayer::bareServerHasNoWindowManager()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    QVERIFY2(!xvfb.isEmpty(), "Xvfb is needed (scripts/setup.sh installs it)");
    QProcess server;
    // The server picks a free display and prints its number.
    server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
    auto stopServer = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    QVERIFY(server.waitForReadyRead(5000));
    const QByteArray display = ':' + server.readLine().trimmed();

    FreedesktopWindowStacking stacking(display);
    QVERIFY(!stacking.isAvailable());
    QVERIFY(stacking.stackingOrder().isEmpty());
    // Nobody answers: the wait gives up after a short while instead of hanging,
    // and is not tried again.
    QElapsedTimer waited;
    waited.start();
    stacking.waitForWindowManager();
    QVERIFY(waited.elapsed() < 2000);
    waited.restart();
    stacking.waitForWindowManager();
    QVERIFY(waited.elapsed() < 50);
}

QTEST_MAIN(TestDesktopLayer)
#include "test_desktoplayer.moc"
