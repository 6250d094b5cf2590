#include "TestEnvironment.h"
#include "fakes/FakeWindowStacking.h"
#include "frame/FrameController.h"
#include "frame/PanelFrame.h"
#include "shell/DesktopLayer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

// A framed window that remembers the context-menu events that reached it.
class Panel : public QWidget
{
public:
    Panel()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    {
        resize(200, 150);
        new FrameController(this);
    }
    int menuEvents = 0;

protected:
    void contextMenuEvent(QContextMenuEvent *) override { ++menuEvents; }
};

} // namespace

Q_DECLARE_METATYPE(PanelFrame::Press)

class TestFrameController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_layer = std::make_unique<DesktopLayer>(new FakeWindowStacking, false);
        m_panel = std::make_unique<Panel>();
        m_layer->track(m_panel.get(), QStringLiteral("panel/documents"));
        m_panel->show();
    }

    void cleanup()
    {
        m_panel.reset();
        m_layer.reset();
        m_env.reset();
    }

    void titleBandMenu_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<Qt::ContextMenuPolicy>("policy");
        QTest::addColumn<bool>("menuShown");

        QTest::newRow("title band") << 10 << Qt::DefaultContextMenu << true;
        QTest::newRow("last line of the band") << PanelFrame::titleBand - 1 << Qt::DefaultContextMenu << true;
        QTest::newRow("below the band") << PanelFrame::titleBand << Qt::DefaultContextMenu << false;
        QTest::newRow("custom menu policy") << 10 << Qt::CustomContextMenu << false;
    }

    // The title band's menu is the one pin entry the desktop layer keeps; below
    // it, the window's own menu.
    void titleBandMenu()
    {
        QFETCH(int, y);
        QFETCH(Qt::ContextMenuPolicy, policy);
        QFETCH(bool, menuShown);
        m_panel->setContextMenuPolicy(policy);

        QStringList shown; // the actions of the menu that came up
        QTimer::singleShot(0, this, [&shown] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (const QAction *action : menu->actions())
                    shown.append(action->objectName());
                menu->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, y), m_panel->mapToGlobal(QPoint(20, y)));
        QApplication::sendEvent(m_panel.get(), &event);
        QCoreApplication::processEvents();

        QCOMPARE(shown, menuShown ? QStringList{PanelFrame::alwaysOnTopActionName} : QStringList());
        QCOMPARE(m_panel->menuEvents, !menuShown && policy == Qt::DefaultContextMenu ? 1 : 0);
    }

    void frameResize_data()
    {
        QTest::addColumn<QPoint>("grab"); // where the drag starts on the 300 x 200 window
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("expected");
        auto row = [](const char *tag, QPoint grab, bool collapsed, QPoint delta, QRect expected) {
            QTest::newRow(tag) << grab << collapsed << delta << expected;
        };
        const QRect same(100, 100, 300, 200);
        row("right border, y ignored", {297, 100}, false, {40, 9}, {100, 100, 340, 200});
        row("corner square grows", {10, 10}, false, {-10, -20}, {90, 80, 310, 220});
        row("near left, not on it", {10, 100}, false, {-10, 0}, same);
        row("left past minimum keeps right", {3, 100}, false, {250, 0}, {180, 100, 220, 200});
        row("bottom right corner to minimum", {290, 190}, false, {-500, -500}, {100, 100, 220, 148});
        row("collapsed: sideways only", {10, 10}, true, {-10, -20}, {90, 100, 310, 200});
    }

    void frameResize()
    {
        QFETCH(QPoint, grab);
        QFETCH(bool, collapsed);
        QFETCH(QPoint, delta);
        const QRect start(100, 100, 300, 200);
        const Qt::Edges edges = PanelFrame::edgesAt(start.size(), grab, false, collapsed);
        QTEST(PanelFrame::resized(start, delta, edges, QSize(220, 148)), "expected");
    }

    void pressAt_data()
    {
        QTest::addColumn<QPoint>("at"); // on a 300 x 200 window with a 36 px title band
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<PanelFrame::Press>("expected");
        using P = PanelFrame::Press;
        QTest::newRow("title band") << QPoint(100, 35) << false << false << P::Move;
        QTest::newRow("below the band") << QPoint(100, 36) << false << false << P::Ignore;
        QTest::newRow("edge in the band") << QPoint(2, 20) << false << false << P::Resize;
        QTest::newRow("locked") << QPoint(100, 20) << true << false << P::Ignore;
        QTest::newRow("locked edge") << QPoint(298, 100) << true << false << P::Ignore;
        QTest::newRow("locked and pinned") << QPoint(100, 20) << true << true << P::Move;
        QTest::newRow("locked and pinned, edge") << QPoint(298, 100) << true << true << P::Ignore;
        QTest::newRow("pinned, below the band") << QPoint(100, 36) << true << true << P::Ignore;
    }

    void pressAt()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, locked);
        QFETCH(bool, pinned);
        QTEST(PanelFrame::pressAt(QSize(300, 200), at, 36, locked, pinned, false), "expected");
    }

    // A locked panel holds still unless pinned. Pinned, it moves, but keeps its
    // locked place as the one written, and goes back there once unpinned, even
    // mid-drag. Unlocking forgets that place; a finished resize is written.
    void lockProtocol()
    {
        m_panel->move(200, 150);
        const QRect locked = m_panel->geometry();
        QRect stored;
        auto *frame = m_panel->findChild<FrameController *>();
        frame->setGeometryStore([&stored, this] { stored = m_panel->geometry(); });
        auto *pin = m_panel->findChild<QAction *>(QLatin1String(PanelFrame::alwaysOnTopActionName));
        frame->setLocked(true);
        for (const QPoint from : {QPoint(100, 10), QPoint(198, 100)}) {
            QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, from);
            QTest::mouseMove(m_panel.get(), from + QPoint(30, 20));
            QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, from + QPoint(30, 20));
        }
        QVERIFY(m_panel->geometry() == locked && stored.isNull());
        pin->trigger();
        QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mouseMove(m_panel.get(), QPoint(130, 30));
        QTRY_COMPARE(m_panel->pos(), locked.topLeft() + QPoint(30, 20));
        frame->storeGeometry();
        QCOMPARE(stored, locked);
        pin->trigger();
        QTRY_COMPARE(m_panel->pos(), locked.topLeft());
        QTest::mouseMove(m_panel.get(), QPoint(160, 50));
        QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(160, 50));
        QCOMPARE(m_panel->geometry(), locked);
        pin->trigger();
        QTest::mouseClick(m_panel.get(), Qt::LeftButton, {}, QPoint(100, 10));
        QCOMPARE(m_panel->property(PanelFrame::lockedPositionProperty), QVariant(locked.topLeft()));
        frame->setLocked(false);
        QVERIFY(!m_panel->property(PanelFrame::lockedPositionProperty).isValid());
        QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, QPoint(198, 100));
        QTest::mouseMove(m_panel.get(), QPoint(228, 100));
        QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(228, 100));
        QVERIFY(m_panel->width() == 230 && stored == m_panel->geometry());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<DesktopLayer> m_layer;
    std::unique_ptr<Panel> m_panel;
};

QTEST_MAIN(TestFrameController)
#include "test_framecontroller.moc"
