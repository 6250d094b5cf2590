#include "PanelTestHome.h"
#include "fakes/FakeCompositorWatch.h"
#include "fakes/FakeWindowStacking.h"
#include "shell/DesktopLayer.h"
#include "shortcuts/DesktopDropSurface.h"
#include "shortcuts/DesktopShortcut.h"
#include "shortcuts/DesktopShortcuts.h"
#include "shortcuts/ShortcutGeometry.h"

#include <QAction>
#include <QDrag>
#include <QMenu>
#include <QScreen>
#include <QtTest>

namespace {

using Positions = QHash<QString, QPoint>;

QMimeData *itemMime(const QStringList &keys)
{
    auto *mime = new QMimeData;
    mime->setData(DesktopModel::itemMimeType(), keys.join(QLatin1Char('\n')).toUtf8());
    return mime;
}

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class TestDesktopShortcuts : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        startHome();
        m_compositor.setActive(true);
    }

    void cleanup()
    {
        m_shortcuts.reset();
        m_layer.reset();
        endHome();
    }

    void rebuild_data()
    {
        QTest::addColumn<Positions>("stored");
        QTest::addColumn<Positions>("shown");
        const Positions two{{key("a.txt"), {10, 20}}, {key("c.mp3"), {300, 40}}};
        QTest::newRow("nothing loose") << Positions{} << Positions{};
        QTest::newRow("two loose items") << two << two;
        QTest::newRow("a position of an item not on the desktop shows nothing")
            << Positions{{key("gone.txt"), {10, 10}}} << Positions{};
        // Shown inside the screen, while the stored place stays as it was.
        const QRect area = available();
        QTest::newRow("off the screen is clamped") << Positions{{key("b.png"), {area.right() + 500, 50}}}
                                                   << Positions{{key("b.png"), {area.right() + 1 - 88, 50}}};
    }

    void rebuild()
    {
        QFETCH(Positions, stored);
        QFETCH(Positions, shown);
        // Made while hidden, the windows wait to be shown.
        DesktopShortcuts *shortcuts = make(stored);
        QVERIFY(!shortcuts->hasVisibleShortcuts());
        shortcuts->setShown(true);
        QCOMPARE(shortcuts->keys().size(), shown.size());
        QCOMPARE(shortcuts->hasVisibleShortcuts(), !shown.isEmpty());
        for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
            const DesktopShortcut *s = shortcuts->shortcut(it.key());
            QCOMPARE(QRect(s->pos(), s->size()), QRect(it.value(), QSize(88, 96)));
            QVERIFY(s->isVisible() && s->toolTip() == s->index().data(Qt::DisplayRole).toString());
        }
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            QCOMPARE(PanelLayoutStore::desktopPosition(it.key()), std::optional<QPoint>(it.value()));
        // Loose items show in no panel.
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QModelIndex index = m_model->index(row, 0);
            QCOMPARE(index.data(DesktopModel::PanelRole).toString() == PanelLayoutStore::desktopPanelId(),
                     shown.contains(index.data(DesktopModel::KeyRole).toString()));
        }
    }

    // One window is selected at a time. An item that leaves the desktop keeps its place for its return;
    // while its menu is open, or while its window is dragged, it keeps the window until that ends.
    void selectionAndLeaving()
    {
        DesktopShortcuts *shortcuts = make({{key("a.txt"), {200, 100}}, {key("c.mp3"), {300, 100}}}, true);
        shortcuts->setShown(true);
        QPointer<DesktopShortcut> window = shortcuts->shortcut(key("a.txt"));
        QPointer<DesktopShortcut> dragged = shortcuts->shortcut(key("c.mp3"));
        QVERIFY(m_layer->isTracked(window));
        const auto *pin = window->findChild<QAction *>(QLatin1String(DesktopLayer::alwaysOnTopActionName));
        QVERIFY(pin && !pin->isChecked()); // loose items stay down whatever "topmost" says
        QSignalSpy activated(shortcuts, &LooseItems::selectionActivated);
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(window->isSelected() && !dragged->isSelected());
        QTest::mousePress(dragged, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!window->isSelected() && dragged->isSelected());
        shortcuts->clearSelection();
        QVERIFY(!window->isSelected() && !dragged->isSelected() && activated.count() == 2);

        QStringList entries;
        bool kept = false;
        const auto leave = [&](const QString &name) {
            removeFromDesktop(name);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            kept = shortcuts->keys().contains(key(name));
        };
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (const QAction *action : menu->actions())
                entries.append(action->text());
            leave("a.txt");
            kept = kept && window && window->isMenuOpen();
            menu->close();
        });
        window->showItemMenu(QPoint(10, 10));
        QCOMPARE(entries, (QStringList{"Open", "Open file location", "Properties"}));
        QVERIFY(std::exchange(kept, false) && window && window->isSelected());
        QTRY_VERIFY(!window); // the rebuild after the menu closed removes it
        shortcuts->setDragExecutor([&](QDrag *) {
            leave("c.mp3");
            kept = kept && dragged;
        });
        shortcuts->runDrag(dragged, itemMime({key("c.mp3")}), QPixmap(48, 48));
        QVERIFY(kept);
        QTRY_VERIFY(!dragged && shortcuts->keys().isEmpty());
        QCOMPARE(PanelLayoutStore::desktopPosition(key("a.txt")), std::optional<QPoint>(QPoint(200, 100)));

        // It comes back where it was.
        m_desktop->entries.append(FakeDesktopSource::file(key("a.txt")));
        m_model->reload();
        QCOMPARE(shortcuts->shortcut(key("a.txt"))->pos(), QPoint(200, 100));
        shortcuts->setShown(false);
        QVERIFY(!shortcuts->hasVisibleShortcuts());
        shortcuts->setIconSize(96);
        QCOMPARE(shortcuts->shortcut(key("a.txt"))->size(), ShortcutGeometry::cellSize(96));
    }

    void painting_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("minAlpha");
        QTest::addColumn<int>("maxAlpha");
        // Next to invisible, yet not transparent: the window must still take the pointer.
        QTest::newRow("plain") << true << false << false << 1 << 2;
        QTest::newRow("hovered") << true << true << false << 16 << 59;
        QTest::newRow("selected") << true << false << true << 41 << 255;
        QTest::newRow("selected and hovered") << true << true << true << 41 << 255;
        // No compositing manager: the window is cut to what it paints, and that is solid.
        QTest::newRow("no compositor") << false << false << false << 0 << 0;
        QTest::newRow("no compositor, hovered") << false << true << false << 255 << 255;
        QTest::newRow("no compositor, selected") << false << false << true << 255 << 255;
    }

    void painting()
    {
        QFETCH(bool, composited);
        QFETCH(bool, hovered);
        QFETCH(bool, selected);
        QFETCH(int, minAlpha);
        QFETCH(int, maxAlpha);
        m_compositor.setActive(composited);
        DesktopShortcut *a = make({{key("a.txt"), {200, 100}}})->shortcut(key("a.txt"));
        if (hovered) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(205, 105));
            QCoreApplication::sendEvent(a, &enter);
        }
        a->setSelected(selected);
        QCOMPARE(a->isHovered(), hovered);
        // A point inside the frame, clear of the icon and the name: blue when selected, grey otherwise.
        const QColor pixel = a->grab().toImage().pixelColor(5, a->height() - 6);
        QVERIFY2(pixel.alpha() >= minAlpha && pixel.alpha() <= maxAlpha &&
                     (selected ? pixel.blue() > pixel.red() + 40 : pixel.red() == pixel.blue()),
                 qPrintable(pixel.name(QColor::HexArgb)));
        const QRegion mask = a->mask();
        QCOMPARE(mask.isEmpty(), composited);
        if (!composited) // the name is shown; the frame's corner only on a plate
            QVERIFY(mask.intersects(QRect(0, 56, a->width(), 36)) && mask != QRegion(a->rect()));
        QCOMPARE(mask.contains(QPoint(5, a->height() - 6)), !composited && (hovered || selected));
        // A compositing manager that comes or goes is followed.
        m_compositor.setActive(!composited);
        QCOMPARE(a->mask().isEmpty(), !composited);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(a, &leave);
        QVERIFY(!a->isHovered());
    }

    void label_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("elided");
        QTest::newRow("short name") << "a.txt" << false;
        QTest::newRow("one long word breaks anywhere")
            << "Quarterly_Financial_Report_2024_final_version_for_the_board.txt" << true;
        QTest::newRow("cut among dots shows no dots before the ellipsis")
            << "untrusted" + QString(120, QLatin1Char('.')) << true;
    }

    void label()
    {
        QFETCH(QString, name);
        QFETCH(bool, elided);
        m_desktop->entries.append(FakeDesktopSource::file(key(name)));
        const DesktopShortcut *s = make({{key(name), {200, 100}}})->shortcut(key(name));
        const QStringList lines = s->labelLines();
        QVERIFY(!lines.isEmpty() && lines.size() <= 2);
        for (const QString &line : lines)
            QVERIFY2(s->fontMetrics().horizontalAdvance(line) <= s->width() - 6, qPrintable(line));
        const QString shown = s->index().data(Qt::DisplayRole).toString();
        QString text = lines.join(QString());
        QCOMPARE(text.endsWith(QChar(0x2026)), elided);
        if (elided) {
            text.chop(1);
            QVERIFY2(!lines.last().chopped(1).endsWith(QLatin1Char('.')), qPrintable(lines.last()));
        }
        // The label shows the name from its start, whole or up to the ellipsis.
        QVERIFY2(!text.isEmpty() && shown.startsWith(text), qPrintable(lines.join(QLatin1Char('|'))));
    }

    void drag_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QStringList>("dragged");
        QTest::addColumn<Positions>("stored");
        const QString a = key("a.txt"), b = key("b.png"), c = key("c.mp3");
        // c.mp3 lies loose at (20, 20) before every drag.
        QTest::newRow("three items form a row")
            << "surface" << QStringList{a, b, c}
            << Positions{{a, {456, 272}}, {b, {544, 272}}, {c, {632, 272}}};
        QTest::newRow("unknown keys are skipped without a gap")
            << "surface" << QStringList{key("gone.txt"), b} << Positions{{b, {456, 272}}, {c, {20, 20}}};
        // Without a compositing manager the surface shows the desktop beneath.
        QTest::newRow("no compositor")
            << "dark surface" << QStringList{b} << Positions{{b, {456, 272}}, {c, {20, 20}}};
        QTest::newRow("a loose item moved onto its own window")
            << "shortcut" << QStringList{c} << Positions{{c, {456, 272}}};
        QTest::newRow("cancelled") << "cancel" << QStringList{a} << Positions{{c, {20, 20}}};
        // Where the drop landed cannot be known where window positions are not (Wayland).
        QTest::newRow("positions unknown") << "blind surface" << QStringList{a} << Positions{{c, {20, 20}}};
        QTest::newRow("source gone mid-drag") << "sourceGone" << QStringList{a} << Positions{{c, {20, 20}}};
    }

    void drag()
    {
        QFETCH(QString, outcome);
        QFETCH(QStringList, dragged);
        QFETCH(Positions, stored);
        const bool composited = outcome != "dark surface";
        m_compositor.setActive(composited);
        DesktopShortcuts *shortcuts = make({{key("c.mp3"), {20, 20}}});
        shortcuts->setShown(true);
        if (outcome == "blind surface") {
            auto *stacking = new FakeWindowStacking;
            stacking->positionsKnown = false;
            m_layer = std::make_unique<DesktopLayer>(stacking, false);
        }
        QWidget panel; // another window of the program
        panel.setGeometry(300, 200, 150, 100);
        panel.show();
        // What lies beneath: a red window that lets the pointer through, as the snapping guides do.
        QWidget desktop(nullptr, Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
        desktop.setPalette(QPalette(Qt::red));
        desktop.setAutoFillBackground(true);
        desktop.setGeometry(available());
        desktop.show();
        QVERIFY(QTest::qWaitForWindowExposed(&desktop));
        QPointer<QWidget> source = outcome == "shortcut" ? shortcuts->shortcut(key("c.mp3")) : new QWidget;
        int surfacesDuring = -1;
        bool coverScreens = false;
        bool draggingDuring = false;
        QColor shown;
        QRegion mask;
        bool clearedOnArrival = false;
        shortcuts->setDragExecutor([&](QDrag *drag) {
            draggingDuring = shortcuts->isDragging();
            QCOMPARE(drag->hotSpot(), QPoint(24, 24));
            const QList<DesktopDropSurface *> surfaces = shortcuts->dropSurfaces();
            surfacesDuring = int(surfaces.size());
            coverScreens = std::all_of(surfaces.cbegin(), surfaces.cend(), [](auto *s) {
                return s->isVisible() && s->geometry() == available();
            });
            shown = surfaces.first()->grab().toImage().pixelColor(40, 40);
            mask = surfaces.first()->mask();
            m_compositor.setActive(true);
            clearedOnArrival = surfaces.first()->backdrop().isNull();
            if (outcome.endsWith("surface"))
                surfaces.first()->takeDrop(dragged, QPoint(500, 300));
            else if (outcome == "shortcut")
                shortcuts->shortcut(key("c.mp3"))->takeDrop(dragged, QPoint(500, 300));
            else if (outcome == "sourceGone")
                delete source;
        });
        QSignalSpy finished(shortcuts, &LooseItems::dragFinished);
        QSignalSpy foreign(shortcuts, &LooseItems::foreignItemsDropped);
        shortcuts->runDrag(source, itemMime(dragged), QPixmap(48, 48));
        QVERIFY(draggingDuring && coverScreens && clearedOnArrival);
        QCOMPARE(surfacesDuring, int(QGuiApplication::screens().size()));
        QVERIFY2(composited ? shown.alpha() <= 1 : shown == QColor(Qt::red),
                 qPrintable(shown.name(QColor::HexArgb)));
        // A drop over another window of the program is that window's; one that lets the pointer
        // through takes none, and loose items stay under the surface.
        const QPoint origin = available().topLeft();
        QVERIFY(!mask.contains(panel.frameGeometry().center() - origin));
        QVERIFY(mask.contains(QPoint(40, 40) - origin) && mask.contains(QPoint(10, 400) - origin));
        // The surfaces are gone with the drag, however it ended.
        QVERIFY(!shortcuts->isDragging() && shortcuts->dropSurfaces().isEmpty() && finished.count() == 1);
        QCOMPARE(bool(source), outcome != "sourceGone");
        if (outcome != "shortcut")
            delete source;

        // The drop is placed once the drag's own handling is over.
        QCoreApplication::processEvents();
        const auto placed = [&] {
            for (const char *name : {"a.txt", "b.png", "c.mp3", "gone.txt"}) {
                const QPoint none(-99999, -99999);
                const DesktopShortcut *window = shortcuts->shortcut(key(name));
                const QPoint expected = stored.value(key(name), none);
                if (PanelLayoutStore::desktopPosition(key(name)).value_or(none) != expected ||
                    (window ? window->pos() : none) != expected)
                    return false;
            }
            return shortcuts->keys().size() == stored.size();
        };
        QTRY_VERIFY(placed());
        // Keys the desktop does not hold (a folder panel's files) are handed on.
        QCOMPARE(foreign.value(0).value(0).toStringList(),
                 outcome == "surface" ? dragged.filter("gone") : QStringList());
    }

    void foreignDropsRefused()
    {
        // Outside a drag of this program a drop event has no source, as one from another program.
        DesktopDropSurface surface(QRect(0, 0, 400, 300));
        std::unique_ptr<QMimeData> mime(itemMime({key("a.txt")}));
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QVERIFY(!DesktopDropSurface::acceptsDrag(&drop));
        QCoreApplication::sendEvent(&surface, &drop);
        QVERIFY(!drop.isAccepted() && !surface.hasDrop());
    }

    void screenChangesReclamp()
    {
        const QRect area = available();
        DesktopShortcut *a = make({{key("a.txt"), {area.right() + 500, 50}}})->shortcut(key("a.txt"));
        // Whatever changed about the screens, the windows are placed inside them again.
        QScreen *screen = QGuiApplication::primaryScreen();
        for (const auto change : {&QScreen::availableGeometryChanged, &QScreen::geometryChanged}) {
            a->move(area.right() + 500, 50);
            Q_EMIT(screen->*change)(screen->geometry());
            QTRY_COMPARE(a->pos(), QPoint(area.right() + 1 - 88, 50));
        }
        a->move(area.right() + 500, 50);
        Q_EMIT qApp->screenRemoved(screen);
        QTRY_COMPARE(a->pos(), QPoint(area.right() + 1 - 88, 50));
    }

private:
    // The desktop holds a.txt, b.png and c.mp3; the given ones lie loose.
    DesktopShortcuts *make(const Positions &loose, bool topmost = false)
    {
        for (auto it = loose.cbegin(); it != loose.cend(); ++it)
            PanelLayoutStore::setDesktopPosition(it.key(), it.value());
        addFiles({key("a.txt"), key("b.png"), key("c.mp3")});
        m_model = makeDesktopModel(m_desktop);
        auto *stacking = new FakeWindowStacking; // no window manager, as offscreen
        stacking->available = false;
        m_layer = std::make_unique<DesktopLayer>(stacking, topmost);
        m_shortcuts = std::make_unique<DesktopShortcuts>(m_model.get(), m_layer.get(), 48, &m_compositor);
        return m_shortcuts.get();
    }
    void removeFromDesktop(const QString &name)
    {
        m_desktop->entries.removeIf([&](const DesktopEntry &e) { return e.path == key(name); });
        m_model->reload();
    }
    static QString key(const QString &name) { return "/d/" + name; }

    std::unique_ptr<DesktopLayer> m_layer;
    FakeCompositorWatch m_compositor;
    std::unique_ptr<DesktopShortcuts> m_shortcuts;
};

QTEST_MAIN(TestDesktopShortcuts)
#include "test_desktopshortcuts.moc"
