#include "PanelTestHome.h"
#include "base/l10n/L10n.h"
#include "categories/CategoryRules.h"
#include "fakes/FakeCompositorWatch.h"
#include "panels/ItemDragView.h"
#include "panels/SearchTrigger.h"
#include "search/QuickSearch.h"
#include "search/SearchDelegate.h"
#include "search/SearchFilter.h"
#include "search/SearchGeometry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QtTest>

namespace {

const QStringList desktopNames = {"report.pdf", "Report 2024.pdf", "notes.txt", "Notebook.odt",
                                  "readme",     "photo.png",       "zeta",      "Reports"};

} // namespace

class TestQuickSearch : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        startHome();
        for (const QString &name : desktopNames)
            addFiles({"/d/" + name});
        QVERIFY(makePanel(QString(), 0, {100, 100, 400, 400}));
        m_search = std::make_unique<QuickSearch>(m_model.get());
    }

    void cleanup()
    {
        m_search.reset();
        endHome();
    }

    void status_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("empty");
        QTest::newRow("Ctrl+F: empty field") << "" << QStringList{} << "Start typing an icon's name";
        QTest::newRow("blank field") << "   " << QStringList{} << "Start typing an icon's name";
        QTest::newRow("no match") << "qqq" << QStringList{} << "No matching icons";
        QTest::newRow("typed text starts the search")
            << "r" << QStringList{"readme", "Report 2024.pdf", "report.pdf", "Reports"} << "";
    }

    void status()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        m_search->showFor(m_panel->view(), text);
        QCOMPARE(input()->text(), text);
        QCOMPARE(resultNames(), names);
        QCOMPARE(results()->currentIndex().row(), names.isEmpty() ? -1 : 0);
        QCOMPARE(results()->isVisible(), !names.isEmpty());
        auto *emptyLabel = m_search->findChild<QLabel *>("quickSearchEmpty");
        QCOMPARE(emptyLabel->isVisible(), names.isEmpty());
        if (names.isEmpty())
            QTEST(emptyLabel->text(), "empty");
        QCOMPARE(labelText("quickSearchCount"), QString("Matches: %1").arg(names.size()));
        QCOMPARE(results()->height(), names.size() * SearchGeometry::rowHeight); // a few rows: no scrolling
        // Typing goes on at the end of what started the search.
        QTest::keyClick(input(), Qt::Key_E);
        QCOMPARE(m_search->filter()->query(), QString(text + "e").simplified());
    }

    // The field's keys reach the window: a held Return opens nothing, Down chooses, Return opens the
    // choice. So does a double-click.
    void keysAndClicksOpen()
    {
        m_search->showFor(m_panel->view(), "re");
        QSignalSpy open(m_search.get(), &QuickSearch::openRequested);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(input(), &held);
        QTest::keyClick(input(), Qt::Key_Down);
        QVERIFY(open.isEmpty() && m_search->isVisible());
        QTest::keyClick(input(), Qt::Key_Return);
        QVERIFY(open.count() == 1 && !m_search->isVisible() && input()->text() == "re");
        QCOMPARE(open.at(0).at(0).value<QModelIndex>().model(), m_model.get());

        m_search->showFor(m_panel->view(), "re");
        QVERIFY(QTest::qWaitForWindowExposed(m_search.get()));
        const QRect second = results()->visualRect(m_search->filter()->index(1, 0));
        QTest::mouseClick(results()->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(open.count() == 2 && !m_search->isVisible());
        for (const QList<QVariant> &opened : std::as_const(open))
            QCOMPARE(opened.at(0).value<QModelIndex>().data().toString(), "Report 2024.pdf");
    }

    void resultNamesItsPanel()
    {
        const auto row = [this](const QString &name) {
            return m_model->match(m_model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0);
        };
        const QString panelId = PanelLayoutStore::createPanel("Work stuff");
        PanelLayoutStore::assignItems({row("notes.txt").data(DesktopModel::KeyRole).toString()}, panelId);
        m_model->reload();
        QCOMPARE(SearchDelegate::placeText(row("notes.txt")), "Work stuff");
        QCOMPARE(SearchDelegate::placeText(row("Notebook.odt")),
                 categoryTitle(row("Notebook.odt").data(DesktopModel::CategoryRole).toInt()));
    }

    // Escape closes and gives the focus back, except while an input method composes in the field.
    void escapeGivesFocusBack()
    {
        IconPanel *panel = m_panel.get();
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        panel->view()->setFocus();
        m_search->showFor(panel->view(), "r");
        QTRY_COMPARE(QApplication::focusWidget(), input());
        QTest::keyClick(input(), Qt::Key_Escape);
        QVERIFY(!m_search->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), panel->view());
        // The query stays for the next opening, which replaces it with what was typed then.
        QCOMPARE(input()->text(), "r");
        m_search->showFor(panel->view(), "z");
        QCOMPARE(resultNames(), QStringList{"zeta"});
        // The results follow the desktop while the window is open.
        addFiles({"/d/Zeta 2", "/d/beta zeta"});
        m_model->reload();
        QCOMPARE(resultNames(), (QStringList{"zeta", "Zeta 2", "beta zeta"}));
        QCOMPARE(labelText("quickSearchCount"), "Matches: 3");
        QCOMPARE(results()->height(), 3 * SearchGeometry::rowHeight);
        QCOMPARE(results()->currentIndex().row(), 0);

        // What an input method committed continues in the field.
        SearchTrigger trigger;
        trigger.fromInputMethod = true;
        trigger.commitText = "no";
        m_search->start(panel->view(), trigger);
        QCOMPARE(input()->text(), "no");
        QCOMPARE(resultNames(), (QStringList{"Notebook.odt", "notes.txt"}));
        // A composition that has only begun is still being composed in the field.
        trigger.commitText.clear();
        trigger.preeditText = "x";
        m_search->start(panel->view(), trigger);
        QCOMPARE(input()->text(), QString());
        QTest::keyClick(input(), Qt::Key_Escape);
        QVERIFY(m_search->isVisible());
        // Once it is done the keys are the window's again, even when the view that opened it is gone.
        QInputMethodEvent done;
        QApplication::sendEvent(input(), &done);
        m_panel.reset();
        QTest::keyClick(input(), Qt::Key_Escape);
        QVERIFY(!m_search->isVisible());
    }

    void geometry_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("matches");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QPoint>("position");
        const auto row = [](const char *tag, QRect available, QSize window, int matches, int width, int rows,
                            QPoint position) {
            QTest::newRow(tag) << available << window << matches << width << rows << position;
        };
        // 1080 px screen, 40 px panel: area 1008 high; 20 matches show six rows.
        row("full hd", {0, 0, 1920, 1040}, {540, 560}, 20, 540, 6, {689, 116});
        row("short screen: one row", {0, 0, 1024, 300}, {540, 220}, 20, 540, 1, {241, 16 + 12});
        row("no matches", {0, 0, 1920, 1040}, {540, 200}, 0, 540, 0, {689, 116});
        row("narrow screen", {0, 0, 500, 900}, {468, 400}, 3, 468, 3, {16, 116});
        row("window taller than the area", {0, 0, 800, 200}, {540, 400}, 1, 540, 1, {129, 16});
        row("second screen to the right, lower", {1920, 200, 1280, 720}, {540, 300}, 9, 540, 6, {2289, 313});
        row("screen left of the primary", {-1280, 0, 1280, 1024}, {540, 300}, 9, 540, 6, {-910, 116});
    }

    void geometry()
    {
        QFETCH(QRect, available);
        QFETCH(QSize, window);
        QFETCH(int, matches);
        const QRect area = SearchGeometry::searchArea(available);
        QTEST(SearchGeometry::windowWidth(area), "width");
        QTEST(SearchGeometry::visibleRows(matches, area), "rows");
        QFETCH(QPoint, position);
        QCOMPARE(SearchGeometry::windowPosition(area, window), position);
        QVERIFY(available.contains(QRect(position, QSize(std::min(window.width(), area.width()), 1))));
    }

    // The second screen is smaller, lower and to the right: a panel in its corner brings the window there.
    void placedOnTheSourceScreen()
    {
        m_panel->move(1920 + 1024 - 420, 200 + 768 - 420);
        m_search->showFor(m_panel->view(), "o");
        const QRect area = SearchGeometry::searchArea(QGuiApplication::screens().at(1)->availableGeometry());
        QCOMPARE(m_search->searchArea(), area);
        QCOMPARE(m_search->frameGeometry().topLeft(), SearchGeometry::windowPosition(area, m_search->size()));
    }

    void languageChange()
    {
        // As the program does: the direction is followed before any window is made.
        L10n::followLayoutDirection();
        m_search = std::make_unique<QuickSearch>(m_model.get());
        m_search->showFor(m_panel->view(), "o");
        auto *title = m_search->findChild<QLabel *>("searchTitle");
        for (const char *language : {"ar", "en"}) {
            L10n::changeLanguage(language);
            const bool arabic = QString(language) == "ar";
            QCOMPARE(m_search->windowTitle(), L10n::text("Quick search"));
            QCOMPARE(m_search->windowTitle() != "Quick search", arabic);
            QCOMPARE(title->text(), m_search->windowTitle());
            QCOMPARE(labelText("quickSearchCount"), L10n::text("Matches: %1").arg(QLocale().toString(6)));
            QCOMPARE(input()->placeholderText(), L10n::text("Search all desktop icons..."));
            // Mirrored: the title sits at the right-hand end of the header.
            QCOMPARE(m_search->layoutDirection(), arabic ? Qt::RightToLeft : Qt::LeftToRight);
            QCOMPARE(title->geometry().center().x() > m_search->width() / 2, arabic);
        }
    }

    void shapeFollowsCompositor_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::newRow("translucent") << true;
        QTest::newRow("no compositor: solid, cut to its outline") << false;
    }

    void shapeFollowsCompositor()
    {
        QFETCH(bool, composited);
        FakeCompositorWatch compositor(composited);
        QuickSearch search(m_model.get(), &compositor);
        search.showFor(m_panel.get(), "r");
        QVERIFY(QTest::qWaitForWindowExposed(&search));
        QCOMPARE(search.mask().isEmpty(), composited);
        if (!composited)
            QVERIFY(!search.mask().contains(QPoint(1, 1)) &&
                    search.mask().contains(QPoint(search.width() / 2, 0)) &&
                    search.mask().contains(QPoint(1, search.height() / 2)));
        QCOMPARE(search.grab().toImage().pixelColor(4, search.height() / 2).alpha(), composited ? 250 : 255);
    }

private:
    QLineEdit *input() const { return m_search->findChild<QLineEdit *>("quickSearchInput"); }
    QListView *results() const { return m_search->findChild<QListView *>("quickSearchResults"); }
    QString labelText(const char *name) const { return m_search->findChild<QLabel *>(name)->text(); }
    QStringList resultNames() const { return column(*m_search->filter()); }

    std::unique_ptr<QuickSearch> m_search;
};

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
