#include "PanelTestHome.h"
#include "base/Settings.h"
#include "fakes/FakeWindowStacking.h"
#include "panelset/PanelSet.h"
#include "shell/CompositorWatch.h"
#include "shell/DesktopLayer.h"
#include "shell/Platform.h"
#include "shell/freedesktop/FreedesktopCompositorWatch.h"
#include "shell/freedesktop/FreedesktopWindowStacking.h"
#include "shell/freedesktop/XcbRoot.h"

#include <QAction>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

using Layer = WindowStacking::Layer;

// Other programs' windows, far from the ids the offscreen platform hands out.
constexpr WId desktopId = 900001, otherId = 900002, keptBelowId = 900003, elsewhereId = 900004;

// A panel window of the program.
class Panel : public QWidget
{
public:
    Panel()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    {
        resize(200, 150);
    }
    // What Qt does when it must change what cannot be changed on a live window.
    void recreate()
    {
        destroy();
        create();
    }
};

} // namespace

class TestDesktopLayer : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        startHome();
        m_fake = new FakeWindowStacking;
        m_layer = std::make_unique<DesktopLayer>(m_fake, false);
    }

    void cleanup()
    {
        m_a.reset();
        m_b.reset();
        m_layer.reset();
        m_xvfb.kill();
        m_xvfb.waitForFinished();
        endHome();
    }

    void pass_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("ourWindowActive");
        QTest::addColumn<bool>("windowManager");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("restacked");
        auto row = [](const char *tag, const char *before, const char *after, bool restacked,
                      bool ourWindowActive = false, bool windowManager = true) {
            QTest::newRow(tag) << QString(before) << ourWindowActive << windowManager << QString(after)
                               << restacked;
        };
        // Registered A then B, the later one belongs directly above the desktop.
        row("order right", "D B A x", "D B A x", false);
        row("panels swapped", "D A B x", "D B A x", true);
        row("another keep-below window between", "D k B A x", "D B A k x", true);
        row("window on another workspace between", "D h B A x", "D h B A x", false);
        row("our window active", "D A B x", "D A B x", false, true);
        row("no desktop window, order right", "B A x", "B A x", false);
        row("no desktop window, swapped", "A B x", "B A x", true);
        row("no window manager", "D A B x", "D A B x", false, false, false);
        // A pinned window is not part of the desktop-level order: A alone is right.
        row("B pinned", "D A x b", "D A x B", false);
    }

    void pass()
    {
        QFETCH(QString, before);
        QFETCH(bool, ourWindowActive);
        QFETCH(bool, windowManager);
        setUpTwoPanels();
        if (before.contains('b'))
            m_layer->setKeepOnTop(m_b.get(), true);
        layOut(before);
        m_fake->available = windowManager;
        m_fake->active = ourWindowActive ? m_a->winId() : otherId;
        m_layer->restack();

        QTEST(describe(), "after");
        QTEST(!m_fake->log.filter(QRegularExpression("^(restack|wait)")).isEmpty(), "restacked");
        QCOMPARE(m_layer->failedPasses(), 0);
        QVERIFY(m_a->isVisible() && m_b->isVisible());
    }

    void failedPassesSlowTheCheck_data()
    {
        QTest::addColumn<QString>("afterwards"); // the stack once the obstacle is gone
        QTest::addColumn<int>("interval");
        // Right again by itself: the steady pace comes back; repaired by us: the slow pace stays.
        QTest::newRow("order right by itself") << "D B A x" << DesktopLayer::checkMs;
        QTest::newRow("repaired") << "D A B x" << DesktopLayer::slowCheckMs;
    }

    void failedPassesSlowTheCheck()
    {
        QFETCH(QString, afterwards);
        setUpTwoPanels();
        layOut("D A B x");
        m_fake->ignoresRestack = true;
        m_layer->restack();
        QCOMPARE(m_layer->failedPasses(), 1);
        QCOMPARE(m_layer->checkInterval(), DesktopLayer::checkMs);
        // A burst ends at its first failed pass instead of hammering on.
        m_layer->reassert();
        QTRY_VERIFY(!m_layer->isBurstRunning());
        QCOMPARE(m_layer->failedPasses(), 2);
        for (int i = 0; i < DesktopLayer::failuresBeforeSlowing; ++i)
            m_layer->restack();
        QCOMPARE(m_layer->failedPasses(), DesktopLayer::failuresBeforeSlowing);
        QCOMPARE(m_layer->checkInterval(), DesktopLayer::slowCheckMs);
        QVERIFY(m_fake->log.contains("wait")); // each attempt waited for the window manager

        m_fake->ignoresRestack = false;
        layOut(afterwards);
        m_layer->restack();
        QCOMPARE(describe(), "D B A x");
        QCOMPARE(m_layer->failedPasses(), 0);
        QTEST(m_layer->checkInterval(), "interval");
        // Pinning or unpinning always returns to the steady pace.
        m_layer->setKeepOnTop(m_a.get(), false);
        QCOMPARE(m_layer->checkInterval(), DesktopLayer::checkMs);
        QVERIFY(m_layer->isBurstRunning());
    }

    void pinningKeepsAboveAndStores_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("topmostDefault");
        QTest::addColumn<bool>("pinnedAtStart"); // a stored pin wins over the default
        QTest::newRow("panel") << "panel/documents" << false << false;
        QTest::newRow("panel, started topmost") << "panel/documents" << true << true;
        QTest::newRow("panel, stored pin") << "panel/images" << false << true;
        QTest::newRow("loose item") << "" << false << false;
        QTest::newRow("loose item, started topmost") << "" << true << true;
    }

    void pinningKeepsAboveAndStores()
    {
        QFETCH(QString, group);
        QFETCH(bool, topmostDefault);
        QFETCH(bool, pinnedAtStart);
        if (pinnedAtStart != topmostDefault)
            Settings::instance()->setValue(group + "/keepOnTop", pinnedAtStart);
        m_layer = std::make_unique<DesktopLayer>(m_fake = new FakeWindowStacking, topmostDefault);
        layOut("D x");
        m_fake->active = otherId;
        m_a = std::make_unique<Panel>();
        m_a->show();
        m_layer->track(m_a.get(), group);
        auto *action = m_a->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName);
        QVERIFY(m_a->actions().contains(action));
        // As started, then the user's toggle there and back: it takes effect at once, and
        // is remembered for panels only.
        for (int step = 0; step < 3; ++step) {
            const bool pinned = pinnedAtStart != (step == 1);
            if (step > 0)
                action->trigger();
            QCOMPARE(action->isChecked(), pinned);
            QCOMPARE(m_fake->layer(m_a->winId()), pinned ? Layer::KeepAbove : Layer::KeepBelow);
            if (group.isEmpty())
                QVERIFY(TestEnvironment::settings().allKeys().filter("keepOnTop").isEmpty());
            else if (step > 0)
                QCOMPARE(Settings::instance()->value(group + "/keepOnTop").toBool(), pinned);
        }
    }

    void layersMissingAreSaidOnce_data()
    {
        QTest::addColumn<bool>("windowManager");
        QTest::addColumn<bool>("layers");
        QTest::addColumn<int>("notices");
        QTest::newRow("window manager with layers") << true << true << 0;
        QTest::newRow("window manager without layers") << true << false << 1;
        QTest::newRow("no window manager") << false << true << 1;
    }

    void layersMissingAreSaidOnce()
    {
        QFETCH(bool, windowManager);
        QFETCH(bool, layers);
        QFETCH(int, notices);
        m_fake->available = windowManager;
        m_fake->layers = layers;
        QSignalSpy said(m_layer.get(), &DesktopLayer::layersFoundMissing);
        QTRY_VERIFY_WITH_TIMEOUT(m_fake->layerQueries > 0, DesktopLayer::layersCheckMs * 3);
        QCOMPARE(said.count(), notices);
        // Passes and bursts that follow say nothing more.
        m_layer->reassert();
        QTRY_VERIFY_WITH_TIMEOUT(!m_layer->isBurstRunning(), 10000);
        QCOMPARE(said.count(), notices);
    }

    void windowsComeAndGo()
    {
        setUpTwoPanels();
        const WId first = m_a->winId();
        QVERIFY(m_fake->log.contains(QStringLiteral("prepare %1 below").arg(first)));

        m_fake->active = otherId;
        QTRY_VERIFY(!m_layer->isBurstRunning());
        // The other program's window was raised under the panels' noses.
        layOut("D A B x");
        const int before = m_fake->passes;
        m_fake->activate(otherId);
        QTRY_COMPARE(describe(), "D B A x");
        QVERIFY(m_layer->isBurstRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!m_layer->isBurstRunning(), 10000);
        QVERIFY(m_fake->passes - before > DesktopLayer::burstPasses);
        // Our own window coming forward is no reason for a burst.
        m_fake->activate(m_a->winId());
        QVERIFY(!m_layer->isBurstRunning());

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

        // Untracked and destroyed windows drop out: only B is still the layer's,
        // right above the desktop already, then nothing is.
        m_layer->untrack(m_a.get());
        QVERIFY(!m_layer->isTracked(m_a.get()));
        layOut("D B x A");
        m_layer->restack();
        QVERIFY(m_fake->log.isEmpty());
        m_b.reset();
        m_layer->restack();
        QVERIFY(m_fake->log.isEmpty());

        // Whether window positions are known is the layer in use's to say.
        QVERIFY(DesktopLayer::windowPositionsKnown());
        m_fake->positionsKnown = false;
        QVERIFY(!DesktopLayer::windowPositionsKnown());
        m_layer.reset();
        QVERIFY(DesktopLayer::windowPositionsKnown());
    }

    void withoutWindowManager_data()
    {
        QTest::addColumn<QByteArray>("display"); // "Xvfb": a bare X server of the test's own
        QTest::newRow("not on X11") << QByteArray();
        QTest::newRow("no such display") << QByteArray(":4711");
        QTest::newRow("malformed display") << QByteArray("::not a display::");
        QTest::newRow("bare X server") << QByteArray("Xvfb");
    }

    void withoutWindowManager()
    {
        QFETCH(QByteArray, display);
        const bool bare = display == "Xvfb";
        if (bare) {
            display = TestEnvironment::startXvfb(m_xvfb);
            QVERIFY2(!display.isEmpty(), "Xvfb is needed (scripts/setup.sh installs it)");
        }
        FreedesktopWindowStacking stacking(display);
        QVERIFY(!stacking.isAvailable());
        QVERIFY(!FreedesktopCompositorWatch(display).isActive());
        QVERIFY(stacking.stackingOrder().isEmpty());
        QCOMPARE(stacking.desktopWindow(), WId(0));
        QVERIFY(!stacking.isOwnWindowActive());
        // Requests go nowhere. Waiting for nobody ends at once, or on a bare server
        // gives up after a short while instead of hanging, and is not tried again.
        stacking.setLayer(42, Layer::KeepAbove);
        stacking.restackAbove(42, 43);
        stacking.preparePanel(42, Layer::KeepBelow);
        QElapsedTimer waited;
        waited.start();
        stacking.waitForWindowManager();
        QVERIFY(waited.elapsed() < (bare ? 2000 : 50));
        waited.restart();
        stacking.waitForWindowManager();
        QVERIFY(waited.elapsed() < 50);

        // The layer the program makes on this (offscreen) platform: panels show; nothing composites.
        QVERIFY(!std::unique_ptr<CompositorWatch>(Platform::createCompositorWatch(nullptr))->isActive());
        DesktopLayer layer(Platform::createWindowStacking(nullptr), true);
        Panel panel;
        layer.track(&panel, "panel/documents");
        panel.show();
        layer.reassert();
        QVERIFY(panel.isVisible());
        QCOMPARE(layer.failedPasses(), 0);
    }

    void rememberedAnswersFollowChanges()
    {
        // The backend remembers what the X server said until an event says that
        // something changed; another client's changes must reach it all the same.
        const QByteArray display = TestEnvironment::startXvfb(m_xvfb);
        QVERIFY2(!display.isEmpty(), "Xvfb is needed (scripts/setup.sh installs it)");

        xcb_connection_t *other = nullptr;
        const xcb_window_t root = XcbRoot::open(display, other);
        auto closeOther = qScopeGuard([other] { xcb_disconnect(other); });
        QVERIFY(root != XCB_WINDOW_NONE);
        const auto atom = [other](const char *name) {
            return XcbRoot::atom(other, name);
        };
        auto set = [other](xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                           QList<uint32_t> values) {
            xcb_change_property(other, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                                uint32_t(values.size()), values.constData());
            xcb_flush(other);
        };
        const xcb_window_t window = xcb_generate_id(other);
        xcb_create_window(other, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(other, window);
        set(root, atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, {0});
        set(window, atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, {1});
        set(root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, {window});
        free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));

        FreedesktopWindowStacking stacking(display);
        QCOMPARE(stacking.stackingOrder(), QList<WId>{window});
        QVERIFY(!stacking.isShown(window)); // on another workspace
        QCOMPARE(stacking.layer(window), Layer::Normal);

        set(root, atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, {1});
        QTRY_VERIFY(stacking.isShown(window));
        set(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, {atom("_NET_WM_STATE_BELOW")});
        QTRY_COMPARE(stacking.layer(window), Layer::KeepBelow);
        xcb_unmap_window(other, window);
        xcb_flush(other);
        QTRY_VERIFY(!stacking.isShown(window));
        set(root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, {});
        QTRY_VERIFY(stacking.stackingOrder().isEmpty());

        // A panel is given its hints once while it waits to be mapped, and again
        // after the window manager had it and let it go (dropping the hints).
        stacking.preparePanel(window, Layer::KeepBelow);
        xcb_delete_property(other, window, atom("_NET_WM_STATE"));
        xcb_flush(other);
        QTRY_COMPARE(stacking.layer(window), Layer::Normal);
        stacking.preparePanel(window, Layer::KeepBelow);
        QCOMPARE(stacking.layer(window), Layer::Normal);
        xcb_map_window(other, window);
        xcb_unmap_window(other, window);
        xcb_flush(other);
        QTRY_VERIFY(
            (stacking.preparePanel(window, Layer::KeepBelow), stacking.layer(window) == Layer::KeepBelow));
    }

    void panelSetJoinsTheLayer()
    {
        addFiles({"/d/a.txt", "/d/b.png"});
        m_model = makeDesktopModel(m_desktop);
        const auto owner = std::make_unique<PanelSet>(IconPanelOptions{}, m_model.get(), true);
        PanelSet *set = owner.get();
        set->setDesktopLayer(m_layer.get());

        // Panels that existed before the layer and those made later, each under its
        // settings prefix.
        Q_EMIT set->panel("documents")->createPanelRequested(QString());
        QCOMPARE(set->panelsInOrder().size(), 3);
        for (IconPanel *panel : set->panelsInOrder())
            QVERIFY2(m_layer->isTracked(panel), qPrintable(panel->title()));
        auto pinAction = [set](const QString &id) {
            return set->panel(id)->findChild<QAction *>(DesktopLayer::alwaysOnTopActionName);
        };
        pinAction("custom-1")->trigger();
        QVERIFY(TestEnvironment::settings().value("panel/custom-1/keepOnTop").toBool());

        // Every change of what is shown or where is followed by a fresh pass.
        for (const auto &change : std::initializer_list<std::function<void()>>{
                 [set] { set->showAll(false); }, [set] { set->toggleAll(); }, [set] { set->toggleAll(); },
                 [set] { set->tidy(); },
                 [set] {
                     Q_EMIT set->panel("documents")->createPanelRequested("Two");
                 }}) {
            const int before = m_fake->passes;
            change();
            QTRY_VERIFY(m_fake->passes > before);
        }
        // Shown panels were made desktop panels before the window manager saw them.
        for (IconPanel *panel : set->panelsInOrder())
            QVERIFY(m_fake->log.contains(QStringLiteral("prepare %1 ").arg(panel->winId()) +
                                         (pinAction(panel->panelId())->isChecked() ? "above" : "below")));
    }

private:
    // A layer over a fresh fake with two unpinned panels registered A then B.
    void setUpTwoPanels()
    {
        m_a = std::make_unique<Panel>();
        m_b = std::make_unique<Panel>();
        m_layer->track(m_a.get(), QStringLiteral("panel/documents"));
        m_layer->track(m_b.get(), QStringLiteral("panel/images"));
        m_a->show();
        m_b->show();
    }

    // One window of a stack description: D desktop, A and B the panels (b: B pinned),
    // x an application window, k another program's keep-below window, h a keep-below
    // window on another workspace.
    FakeWindowStacking::Window window(QChar token) const
    {
        const bool panel = token == 'A' || token.toUpper() == 'B';
        const QHash<QChar, WId> ids{{'D', desktopId}, {'x', otherId}, {'k', keptBelowId}, {'h', elsewhereId}};
        const WId id = token == 'A' ? m_a->winId() : panel ? m_b->winId() : ids.value(token);
        const Layer layer = token == 'b'                            ? Layer::KeepAbove
                            : panel || token == 'k' || token == 'h' ? Layer::KeepBelow
                                                                    : Layer::Normal;
        return {id, layer, token == 'D', token != 'h', panel};
    }

    // Lays the stack out from a description, bottom first.
    void layOut(const QString &stack)
    {
        m_fake->windows.clear();
        for (const QString &token : stack.split(u' ', Qt::SkipEmptyParts))
            m_fake->windows.append(window(token.at(0)));
        m_fake->settle();
        m_fake->log.clear();
    }

    QString describe() const
    {
        QStringList tokens;
        for (const FakeWindowStacking::Window &w : std::as_const(m_fake->windows)) {
            for (QChar token : QStringLiteral("DABxkh")) {
                if (window(token).id == w.id)
                    tokens.append(token);
            }
        }
        return tokens.join(u' ');
    }

    QProcess m_xvfb;
    FakeWindowStacking *m_fake = nullptr;
    std::unique_ptr<DesktopLayer> m_layer;
    std::unique_ptr<Panel> m_a;
    std::unique_ptr<Panel> m_b;
};

QTEST_MAIN(TestDesktopLayer)

#include "test_desktoplayer.moc"
