#include "TestEnvironment.h"
#include "base/l10n/L10n.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/CategoryFilter.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "panels/SearchTrigger.h"
#include "search/QuickSearch.h"
#include "search/SearchFilter.h"
#include "search/SearchGeometry.h"
#include "shell/DesktopModel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QStringList desktopNames = {"report.pdf", "Report 2024.pdf", "notes.txt", "Notebook.odt",
                                  "readme",     "photo.png",       "zeta",      "Reports"};

} // namespace

class TestQuickSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void typedTextStartsTheSearch();
    void status_data();
    void status();
    void upDown_data();
    void upDown();
    void enter_data();
    void enter();
    void doubleClickOpens();
    void escapeGivesFocusBack();
    void escapeAfterSourceIsGone();
    void composingKeepsKeys_data();
    void composingKeepsKeys();
    void inputMethodContinuesInField();
    void followsTheDesktop();

    void geometry_data();
    void geometry();
    void placedOnTheSourceScreen_data();
    void placedOnTheSourceScreen();
    void languageChange();

private:
    IconPanel *makePanel(const QString &panelId = QString());
    QuickSearch *makeSearch();
    QLineEdit *input() const { return m_search->findChild<QLineEdit *>("quickSearchInput"); }
    QListView *results() const { return m_search->findChild<QListView *>("quickSearchResults"); }
    QString labelText(const char *name) const { return m_search->findChild<QLabel *>(name)->text(); }
    QStringList resultNames() const
    {
        QStringList names;
        for (int row = 0; row < m_search->filter()->rowCount(); ++row)
            names.append(m_search->filter()->index(row, 0).data().toString());
        return names;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<IconPanel> m_panel;
    std::unique_ptr<QuickSearch> m_search;
};

void TestQuickSearch::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    PanelLayoutStore::discardState();
    m_desktop = std::make_shared<FakeDesktopSource::State>();
    for (const QString &name : desktopNames)
        m_desktop->entries.append(FakeDesktopSource::file("/d/" + name));
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop),
                                             std::make_unique<ItemPlacement>());
    m_model->reload();
}

void TestQuickSearch::cleanup()
{
    m_search.reset();
    m_panel.reset();
    m_model.reset();
    PanelLayoutStore::discardState();
    m_env.reset();
}

IconPanel *TestQuickSearch::makePanel(const QString &panelId)
{
    CategoryFilter *filter = nullptr;
    if (!panelId.isEmpty()) {
        filter = new CategoryFilter(panelId);
        filter->setSourceModel(m_model.get());
    }
    m_panel = std::make_unique<IconPanel>(IconPanel::Options{}, m_model.get(), filter, "Desktop",
                                          PanelLayoutStore::settingsPrefix(panelId));
    if (filter)
        filter->setParent(m_panel.get());
    m_panel->applyGeometry(QRect(100, 100, 400, 400), false);
    m_panel->show();
    return m_panel.get();
}

QuickSearch *TestQuickSearch::makeSearch()
{
    m_search = std::make_unique<QuickSearch>(m_model.get());
    return m_search.get();
}

void TestQuickSearch::typedTextStartsTheSearch()
{
    IconPanel *panel = makePanel();
    makeSearch()->showFor(panel->view(), "r");
    QVERIFY(m_search->isVisible());
    QCOMPARE(input()->text(), "r");
    QCOMPARE(input()->cursorPosition(), 1);
    QCOMPARE(resultNames(), (QStringList{"readme", "Report 2024.pdf", "report.pdf", "Reports"}));
    QCOMPARE(results()->currentIndex().row(), 0);
    QTest::keyClick(input(), Qt::Key_E);
    QCOMPARE(m_search->filter()->query(), "re");
    QCOMPARE(resultNames(), (QStringList{"readme", "Report 2024.pdf", "report.pdf", "Reports"}));
}

void TestQuickSearch::status_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("listShown");
    QTest::addColumn<QString>("empty");
    QTest::addColumn<int>("count");
    QTest::newRow("Ctrl+F: empty field") << "" << false << "Start typing an icon's name" << 0;
    QTest::newRow("blank field") << "   " << false << "Start typing an icon's name" << 0;
    QTest::newRow("no match") << "qqq" << false << "No matching icons" << 0;
    QTest::newRow("matches") << "o" << true << "" << 6;
}

void TestQuickSearch::status()
{
    QFETCH(QString, text);
    QFETCH(bool, listShown);
    QFETCH(QString, empty);
    QFETCH(int, count);
    makeSearch()->showFor(makePanel()->view(), text);
    QCOMPARE(results()->isVisible(), listShown);
    auto *emptyLabel = m_search->findChild<QLabel *>("quickSearchEmpty");
    QCOMPARE(emptyLabel->isVisible(), !listShown);
    if (!listShown)
        QCOMPARE(emptyLabel->text(), empty);
    QCOMPARE(labelText("quickSearchCount"), QString("Matches: %1").arg(count));
    QCOMPARE(results()->height(),
             listShown ? SearchGeometry::visibleRows(count, m_search->searchArea()) * 58 : 0);
}

void TestQuickSearch::upDown_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("start"); // -1: no current row
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("expected");
    const QList<int> down{Qt::Key_Down};
    const QList<int> up{Qt::Key_Up};
    QTest::newRow("down") << "re" << 0 << down << 1;
    QTest::newRow("down twice, up") << "re" << 0 << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << 1;
    QTest::newRow("down on the last row stays") << "re" << 3 << down << 3;
    QTest::newRow("up on the first row stays") << "re" << 0 << up << 0;
    QTest::newRow("down without a current row") << "re" << -1 << down << 0;
    QTest::newRow("up without a current row") << "re" << -1 << up << 0;
    QTest::newRow("empty list") << "qqq" << -1 << down << -1;
}

void TestQuickSearch::upDown()
{
    QFETCH(QString, query);
    QFETCH(int, start);
    QFETCH(QList<int>, keys);
    makeSearch()->showFor(makePanel()->view(), query);
    results()->setCurrentIndex(m_search->filter()->index(start, 0));
    for (int key : keys)
        QTest::keyClick(input(), Qt::Key(key));
    QTEST(results()->currentIndex().row(), "expected");
    // The keys move the choice; they never edit the query.
    QCOMPARE(input()->text(), query);
    QVERIFY(m_search->isVisible());
}

void TestQuickSearch::enter_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<QString>("opened"); // empty: nothing opens, the window stays
    QTest::newRow("return") << "zeta" << int(Qt::Key_Return) << false << "zeta";
    QTest::newRow("keypad enter") << "notes" << int(Qt::Key_Enter) << false << "notes.txt";
    QTest::newRow("held return") << "zeta" << int(Qt::Key_Return) << true << "";
    QTest::newRow("no results") << "qqq" << int(Qt::Key_Return) << false << "";
}

void TestQuickSearch::enter()
{
    QFETCH(QString, query);
    QFETCH(int, key);
    QFETCH(bool, autoRepeat);
    QFETCH(QString, opened);
    makeSearch()->showFor(makePanel()->view(), query);
    QSignalSpy open(m_search.get(), &QuickSearch::openRequested);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, "\r", autoRepeat);
    QApplication::sendEvent(input(), &press);
    QVERIFY(press.isAccepted());
    QCOMPARE(open.count(), opened.isEmpty() ? 0 : 1);
    QCOMPARE(m_search->isVisible(), opened.isEmpty());
    if (opened.isEmpty())
        return;
    const auto index = open.at(0).at(0).value<QModelIndex>();
    QCOMPARE(index.model(), m_model.get());
    QCOMPARE(index.data().toString(), opened);
}

void TestQuickSearch::doubleClickOpens()
{
    makeSearch()->showFor(makePanel()->view(), "re");
    QVERIFY(QTest::qWaitForWindowExposed(m_search.get()));
    QSignalSpy open(m_search.get(), &QuickSearch::openRequested);
    const QRect second = results()->visualRect(m_search->filter()->index(1, 0));
    QTest::mouseClick(results()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).value<QModelIndex>().data().toString(), "Report 2024.pdf");
    QVERIFY(!m_search->isVisible());
}

void TestQuickSearch::escapeGivesFocusBack()
{
    IconPanel *panel = makePanel();
    panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel));
    panel->view()->setFocus();
    makeSearch()->showFor(panel->view(), "r");
    QTRY_COMPARE(QApplication::focusWidget(), input());
    QTest::keyClick(input(), Qt::Key_Escape);
    QVERIFY(!m_search->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), panel->view());
    // The query stays for the next opening, which replaces it with what was typed then.
    QCOMPARE(input()->text(), "r");
    m_search->showFor(panel->view(), "z");
    QCOMPARE(resultNames(), QStringList{"zeta"});
}

void TestQuickSearch::escapeAfterSourceIsGone()
{
    makeSearch()->showFor(makePanel()->view(), "r");
    m_panel.reset();
    QTest::keyClick(input(), Qt::Key_Escape);
    QVERIFY(!m_search->isVisible());
}

void TestQuickSearch::composingKeepsKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("escape") << int(Qt::Key_Escape);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("down") << int(Qt::Key_Down);
    QTest::newRow("up") << int(Qt::Key_Up);
}

void TestQuickSearch::composingKeepsKeys()
{
    QFETCH(int, key);
    makeSearch()->showFor(makePanel()->view(), "re");
    results()->setCurrentIndex(m_search->filter()->index(1, 0));
    QSignalSpy open(m_search.get(), &QuickSearch::openRequested);
    QInputMethodEvent composing("po", {});
    QApplication::sendEvent(input(), &composing);
    QTest::keyClick(input(), Qt::Key(key));
    QVERIFY(m_search->isVisible());
    QCOMPARE(open.count(), 0);
    QCOMPARE(results()->currentIndex().row(), 1);
    // Once the composition is committed the keys are the window's again.
    QInputMethodEvent commit;
    commit.setCommitString("p");
    QApplication::sendEvent(input(), &commit);
    QTest::keyClick(input(), Qt::Key_Escape);
    QVERIFY(!m_search->isVisible());
}

void TestQuickSearch::inputMethodContinuesInField()
{
    IconPanel *panel = makePanel();
    SearchTrigger trigger;
    trigger.fromInputMethod = true;
    trigger.commitText = "no";
    makeSearch()->start(panel->view(), trigger);
    QCOMPARE(input()->text(), "no");
    QCOMPARE(resultNames(), (QStringList{"Notebook.odt", "notes.txt"}));

    // A composition that has only begun is still being composed in the field.
    trigger.commitText.clear();
    trigger.preeditText = "x";
    m_search->start(panel->view(), trigger);
    QCOMPARE(input()->text(), QString());
    QTest::keyClick(input(), Qt::Key_Escape);
    QVERIFY(m_search->isVisible());
}

void TestQuickSearch::followsTheDesktop()
{
    makeSearch()->showFor(makePanel()->view(), "zeta");
    QCOMPARE(labelText("quickSearchCount"), "Matches: 1");
    m_desktop->entries.append(FakeDesktopSource::file("/d/Zeta 2"));
    m_desktop->entries.append(FakeDesktopSource::file("/d/beta zeta"));
    m_model->reload();
    QCOMPARE(resultNames(), (QStringList{"zeta", "Zeta 2", "beta zeta"}));
    QCOMPARE(labelText("quickSearchCount"), "Matches: 3");
    QCOMPARE(results()->height(), 3 * SearchGeometry::rowHeight);
    QCOMPARE(results()->currentIndex().row(), 0);
}

void TestQuickSearch::geometry_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("matches");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QPoint>("position");
    // 1080 px screen, 40 px panel: area 1008 high; 20 matches show six rows.
    QTest::newRow("full hd") << QRect(0, 0, 1920, 1040) << QSize(540, 560) << 20 << 540 << 6
                             << QPoint(689, 116);
    QTest::newRow("short screen: one row")
        << QRect(0, 0, 1024, 300) << QSize(540, 220) << 20 << 540 << 1 << QPoint(241, 16 + 12);
    QTest::newRow("fewer matches than rows")
        << QRect(0, 0, 1920, 1040) << QSize(540, 300) << 2 << 540 << 2 << QPoint(689, 116);
    QTest::newRow("no matches") << QRect(0, 0, 1920, 1040) << QSize(540, 200) << 0 << 540 << 0
                                << QPoint(689, 116);
    QTest::newRow("narrow screen") << QRect(0, 0, 500, 900) << QSize(468, 400) << 3 << 468 << 3
                                   << QPoint(16, 116);
    QTest::newRow("window taller than the area")
        << QRect(0, 0, 800, 200) << QSize(540, 400) << 1 << 540 << 1 << QPoint(129, 16);
    QTest::newRow("second screen to the right, lower")
        << QRect(1920, 200, 1280, 720) << QSize(540, 300) << 9 << 540 << 6 << QPoint(2289, 313);
    QTest::newRow("screen left of the primary")
        << QRect(-1280, 0, 1280, 1024) << QSize(540, 300) << 9 << 540 << 6 << QPoint(-910, 116);
}

void TestQuickSearch::geometry()
{
    QFETCH(QRect, available);
    QFETCH(QSize, window);
    QFETCH(int, matches);
    const QRect area = SearchGeometry::searchArea(available);
    QCOMPARE(area, available.adjusted(16, 16, -16, -16));
    QTEST(SearchGeometry::windowWidth(area), "width");
    QTEST(SearchGeometry::visibleRows(matches, area), "rows");
    QFETCH(QPoint, position);
    QCOMPARE(SearchGeometry::windowPosition(area, window), position);
    QVERIFY(available.contains(QRect(position, QSize(std::min(window.width(), area.width()), 1))));
}

void TestQuickSearch::placedOnTheSourceScreen_data()
{
    QTest::addColumn<int>("screen");
    QTest::addColumn<QPoint>("panelAt");
    QTest::newRow("primary") << 0 << QPoint(100, 100);
    QTest::newRow("primary, at the right edge") << 0 << QPoint(1920 - 420, 1080 - 420);
    QTest::newRow("second screen") << 1 << QPoint(2000, 300);
    QTest::newRow("second screen, bottom right corner") << 1 << QPoint(1920 + 1024 - 420, 200 + 768 - 420);
}

void TestQuickSearch::placedOnTheSourceScreen()
{
    QFETCH(int, screen);
    QFETCH(QPoint, panelAt);
    const QList<QScreen *> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    IconPanel *panel = makePanel();
    panel->move(panelAt);
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    makeSearch()->showFor(panel->view(), "o");
    const QRect available = screens.at(screen)->availableGeometry();
    QCOMPARE(m_search->searchArea(), available.adjusted(16, 16, -16, -16));
    const QRect placed = m_search->frameGeometry();
    QVERIFY2(
        m_search->searchArea().contains(placed),
        qPrintable(
            QString("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
    QCOMPARE(placed.width(), std::min(540, available.width() - 32));
    // Centred on the area's centre pixel: the gaps on either side differ by two pixels at most.
    const int leftGap = placed.left() - m_search->searchArea().left();
    const int rightGap = m_search->searchArea().right() - placed.right();
    QVERIFY2(std::abs(leftGap - rightGap) <= 2, qPrintable(QString("%1 %2").arg(leftGap).arg(rightGap)));
}

void TestQuickSearch::languageChange()
{
    L10n::followLayoutDirection();
    makeSearch()->showFor(makePanel()->view(), "o");
    auto *title = m_search->findChild<QLabel *>("searchTitle");
    L10n::changeLanguage("ar");
    QCOMPARE(m_search->windowTitle(), L10n::text("Quick search"));
    QVERIFY(m_search->windowTitle() != "Quick search");
    QCOMPARE(title->text(), m_search->windowTitle());
    QVERIFY(labelText("quickSearchCount").startsWith(L10n::text("Matches: %1").section('%', 0, 0)));
    QVERIFY(labelText("quickSearchCount") != "Matches: 6");
    QCOMPARE(input()->placeholderText(), L10n::text("Search all desktop icons..."));
    QCOMPARE(m_search->layoutDirection(), Qt::RightToLeft);
    // Mirrored: the title sits at the right-hand end of the header.
    QVERIFY(title->geometry().center().x() > m_search->width() / 2);

    L10n::changeLanguage("en");
    QCOMPARE(m_search->windowTitle(), "Quick search");
    QCOMPARE(labelText("quickSearchCount"), "Matches: 6");
    QCOMPARE(m_search->layoutDirection(), Qt::LeftToRight);
    QVERIFY(title->geometry().center().x() < m_search->width() / 2);
}

// Two screens side by side: the second one smaller, lower and to the right.
int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "right", "x": 1920, "y": 200, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestQuickSearch test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_quicksearch.moc"
