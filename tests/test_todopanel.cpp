#include "StyleSheetCheck.h"
#include "TestEnvironment.h"
#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "frame/GlyphButton.h"
#include "todo/TodoContextMenu.h"
#include "todo/TodoDelegate.h"
#include "todo/TodoFilter.h"
#include "todo/TodoMetrics.h"
#include "todo/TodoModel.h"
#include "todo/TodoPanel.h"
#include "todo/TodoStyle.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>

class TestTodoPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        // The settings store outlives one environment.
        for (const auto key : {SettingsKeys::todoHideCompleted, SettingsKeys::todoGeometry})
            Settings::instance()->remove(key);
    }

    void cleanup()
    {
        m_panel.reset();
        m_model.reset();
        m_env.reset();
        QApplication::setLayoutDirection(Qt::LeftToRight);
    }

    void heightFollowsContent_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("completed"); // how many of the first rows are done
        QTest::addColumn<int>("content");   // expected row heights (without the toggle)

        const QString longTitle = QString("word ").repeated(30).trimmed();
        QTest::newRow("empty") << QStringList{} << 0 << 52;
        QTest::newRow("one short") << QStringList{"Milk"} << 0 << 62;
        QTest::newRow("one long") << QStringList{longTitle} << 0 << 78;
        QTest::newRow("line break") << QStringList{"one\ntwo"} << 0 << 78;
        // Wider than a 260 px row's text, narrower than this 340 px panel's: one line.
        QString between = "m";
        const QFontMetrics metrics(TodoMetrics::titleFont());
        while (metrics.horizontalAdvance(between) <= 260 - 44 + 10)
            between += "m";
        QTest::newRow("fits the panel's width") << QStringList{between} << 0 << 62;
        QTest::newRow("emoji and Arabic") << QStringList{"🎉🎂", "اتصل بأحمد"} << 0 << 124;
        QTest::newRow("seven, one done") << QStringList{"a", "b", "c", "d", "e", "f", "g"} << 1 << 6 * 62;
        QTest::newRow("seven long") << QStringList(7, longTitle) << 0 << 6 * 78;
    }

    void heightFollowsContent()
    {
        QFETCH(QStringList, titles);
        QFETCH(int, completed);
        QFETCH(int, content);
        QVERIFY(makePanel(titles, QList<bool>(completed, true)));
        const int toggle = completed > 0 ? m_panel->completedToggle()->sizeHint().height() : 0;
        QCOMPARE(m_panel->size(), QSize(340, 122 + content + toggle)); // the width stays the user's
        QCOMPARE(m_panel->completedToggle()->isVisible(), completed > 0);

        // The view lays out, and the delegate answers however asked, the heights the panel planned.
        int rows = 0;
        for (int row = 0; row < std::min<int>(int(titles.size()), 6); ++row) {
            const QModelIndex index = m_panel->filter()->index(row, 0);
            rows += m_panel->list()->visualRect(index).height();
            QCOMPARE(m_panel->list()->itemDelegate()->sizeHint(QStyleOptionViewItem(), index).height(),
                     TodoMetrics::rowHeight(titles.at(row), m_panel->width() - 36));
        }
        QCOMPARE(rows, titles.isEmpty() ? 0 : content);
        if (titles.size() > 6)
            QVERIFY(m_panel->list()->verticalScrollBar()->maximum() > 0);
    }

    void emptyStates()
    {
        QVERIFY(makePanel({}));
        QVERIFY(m_panel->emptyLabel()->isVisible() && !m_panel->list()->isVisible());
        m_model->addTask("Done already");
        m_model->setCompleted(0, true);
        QVERIFY(m_panel->list()->isVisible());
        const QString emptyText = m_panel->emptyLabel()->text();
        QTest::mouseClick(m_panel->completedToggle(), Qt::LeftButton);
        QVERIFY(!m_panel->list()->isVisible() && m_panel->emptyLabel()->isVisible());
        // Nothing to do and nothing shown are told apart.
        QVERIFY(m_panel->emptyLabel()->text() != emptyText);
        // A new panel reads the choice back.
        TodoPanel again(m_model.get());
        QVERIFY(again.hidesCompleted() && again.filter()->rowCount() == 0);
        // The panel's text buttons light up under the pointer.
        for (const char *name : {"todoAdd", "todoCompletedToggle", "todoClose"}) {
            auto *button = m_panel->findChild<GlyphButton *>(name);
            const QColor resting = button->textColor();
            button->setAttribute(Qt::WA_UnderMouse);
            QVERIFY(button->textColor() != resting);
        }
    }

    void inputAndKeys()
    {
        QVERIFY(makePanel({"Older"}));
        QLineEdit *input = m_panel->input();
        input->setText("   ");
        QTest::keyClick(input, Qt::Key_Return);
        QCOMPARE(input->text(), "   ");
        input->setText(" Call Bob ");
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(input->text().isEmpty());
        input->setText("By the button");
        QTest::mouseClick(m_panel->findChild<QPushButton *>("todoAdd"), Qt::LeftButton);
        QCOMPARE(titles(), (QStringList{"By the button", "Call Bob", "Older"}));
        QCOMPARE(m_panel->height(), 122 + 3 * 62);

        // Space ticks and Delete removes the current row; without one neither does anything.
        QTest::keyClick(m_panel->list(), Qt::Key_Space);
        QTest::keyClick(m_panel->list(), Qt::Key_Delete);
        QCOMPARE(m_model->rowCount(), 3);
        QCOMPARE(m_model->completedCount(), 0);
        m_panel->list()->setCurrentIndex(m_panel->filter()->index(1, 0));
        QTest::keyClick(m_panel->list(), Qt::Key_Space);
        QVERIFY(m_model->tasks().at(1).completed);
        QTest::keyClick(m_panel->list(), Qt::Key_Delete);
        QCOMPARE(titles(), (QStringList{"By the button", "Older"}));
    }

    // Changes that cannot reach the disk are said under the input until a save succeeds.
    void unsavedChangesAreSaid()
    {
        // A FIFO where the list belongs: nothing of ours to replace.
        const QString path = m_env->appConfigDir() + "/todo.json";
        QVERIFY(QDir().mkpath(m_env->appConfigDir()));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("to-do changes are kept in memory only"));
        QVERIFY(makePanel({}, {}, path));
        QLabel *status = m_panel->saveStatus();
        QVERIFY(!status->isVisible()); // nothing is lost yet
        m_model->addTask("Kept in memory");
        QCOMPARE(status->isVisible() ? status->text() : QString(), "Not saved: changes will be lost on exit");
        QVERIFY(status->geometry().top() >= m_panel->input()->geometry().bottom());
        QVERIFY(m_panel->list()->geometry().top() > status->geometry().bottom());
        QCOMPARE(m_panel->height(), 122 + 62 + status->height());

        QVERIFY(QFile::remove(path));
        m_model->setCompleted(0, true);
        QVERIFY(QFileInfo(path).isFile() && !status->isVisible());
        QCOMPARE(m_panel->height(), 122 + 62 + m_panel->completedToggle()->sizeHint().height());
    }

    void mouseOnRows_data()
    {
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addColumn<QPoint>("offset"); // as rowPoint() takes it
        QTest::addColumn<bool>("ticks");
        QTest::addColumn<bool>("selects");

        for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            const char *name = direction == Qt::LeftToRight ? "ltr" : "rtl";
            QTest::addRow("%s check circle", name) << direction << QPoint(18, 22) << true << false;
            QTest::addRow("%s title", name) << direction << QPoint(60, 20) << false << true;
            QTest::addRow("%s date line", name) << direction << QPoint(60, 46) << false << false;
        }
        // Mirrored: where a left-to-right row has its circle, this one ends its title.
        QTest::newRow("rtl, where ltr has the circle") << Qt::RightToLeft << QPoint(-18, 22) << false << true;
    }

    void mouseOnRows()
    {
        QFETCH(Qt::LayoutDirection, direction);
        QFETCH(QPoint, offset);
        QFETCH(bool, selects);
        QApplication::setLayoutDirection(direction);
        QVERIFY(makePanel({"First task", "Second task"}));
        QVERIFY(!m_panel->findChild<QTextEdit *>()); // made by the first selection, not with the panel
        const QRect row = m_panel->list()->visualRect(m_panel->filter()->index(1, 0));
        QTest::mouseClick(m_panel->list()->viewport(), Qt::LeftButton, {},
                          rowPoint(1, offset.x(), offset.y()));

        QTEST(m_model->index(1).data(TodoModel::CompletedRole).toBool(), "ticks");
        QVERIFY(m_panel->list()->currentIndex().row() == 1 && m_panel->taskText()->isVisible() == selects);
        QCOMPARE(m_panel->list()->property("selectingTask").toString(),
                 selects ? m_model->index(1).data(TodoModel::IdRole).toString() : QString());
        if (selects) {
            QCOMPARE(m_panel->taskText()->toPlainText() + "|" + m_panel->taskText()->accessibleName(),
                     "Second task|Task text");
            QVERIFY(row.contains(m_panel->taskText()->geometry()));
            // Painted, not styled: a style sheet would bring its engine at every start.
            QCOMPARE(styleSheetUser(m_panel.get()), QString());
            // A press elsewhere in the list ends it.
            QTest::mouseClick(m_panel->list()->viewport(), Qt::LeftButton, {}, rowPoint(0, 60, 46));
            QVERIFY(!m_panel->taskText()->isVisible() &&
                    m_panel->list()->property("selectingTask").toString().isEmpty());
        }
    }

    void contextMenu()
    {
        QVERIFY(makePanel({"Open task", "Done task"}, {false, true}));
        const auto texts = [](QMenu *menu) {
            QStringList result;
            for (QAction *action : menu->actions())
                result.append(action->isSeparator() ? "-" : action->text());
            return result;
        };
        std::unique_ptr<QMenu> menu = TodoContextMenu::create(m_panel.get(), rowPoint(1, 60, 20));
        QCOMPARE(texts(menu.get()), (QStringList{"Mark active", "Delete task", "-", "Hide completed"}));

        // The task is fixed when the menu opens: "Delete task" removes it though a new task shifted the rows.
        m_model->addTask("Newcomer");
        menu->actions().at(1)->trigger();
        QCOMPARE(titles(), (QStringList{"Newcomer", "Open task"}));
        menu = TodoContextMenu::create(m_panel.get(), rowPoint(0, 60, 20));
        QCOMPARE(texts(menu.get()), (QStringList{"Mark complete", "Delete task"}));
        // Below the rows with nothing completed there is nothing to offer.
        QVERIFY(
            !TodoContextMenu::create(m_panel.get(), QPoint(5, m_panel->list()->viewport()->height() - 2)));

        // A right-click on a title being selected opens the same menu, with "Copy" for the selected text.
        QTest::mouseClick(m_panel->list()->viewport(), Qt::LeftButton, {}, rowPoint(0, 60, 20));
        m_panel->taskText()->selectAll();
        QStringList shown;
        QTimer::singleShot(0, this, [&shown, &texts] {
            if (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                shown = texts(popup);
                popup->close();
            }
        });
        QWidget *box = m_panel->taskText()->viewport();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(box, &rightClick);
        QCOMPARE(shown, (QStringList{"Copy", "-", "Mark complete", "Delete task"}));

        // Another task going (the keyboard, a menu) ends the selection; so does the selected task going.
        QTest::mouseClick(m_panel->list()->viewport(), Qt::LeftButton, {}, rowPoint(0, 60, 20));
        QCOMPARE(m_panel->taskText()->isVisible() ? m_panel->taskText()->toPlainText() : QString(),
                 "Newcomer");
        m_model->removeTask(1);
        auto *delegate = qobject_cast<TodoDelegate *>(m_panel->list()->itemDelegate());
        QVERIFY(!m_panel->taskText()->isVisible() && !delegate->coveredRow().isValid());
        QTest::mouseClick(m_panel->list()->viewport(), Qt::LeftButton, {}, rowPoint(0, 60, 20));
        QVERIFY(m_panel->taskText()->isVisible());
        m_model->removeTask(0);
        QVERIFY(!delegate->coveredRow().isValid());
        QCOMPARE(m_panel->height(), 122 + 52);
    }

    void editTitle_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("kept");
        QTest::newRow("double-click, Enter") << false << "  Call Ann  " << int(Qt::Key_Return) << "Call Ann";
        QTest::newRow("F2, Enter") << true << "Call Ann" << int(Qt::Key_Enter) << "Call Ann";
        QTest::newRow("Esc cancels") << false << "Call Ann" << int(Qt::Key_Escape) << "Call Bob";
        QTest::newRow("emptied keeps") << true << "   " << int(Qt::Key_Return) << "Call Bob";
    }

    void editTitle()
    {
        QFETCH(bool, byKey);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, kept);
        QVERIFY(makePanel({"First", "Call Bob"}));
        QWidget *viewport = m_panel->list()->viewport();
        if (byKey) {
            m_panel->list()->setCurrentIndex(m_panel->filter()->index(1, 0));
            m_panel->list()->setFocus();
            QTest::keyClick(m_panel->list(), Qt::Key_F2);
        } else {
            // The first click lays the selectable text over the title; the second lands in it.
            QTest::mouseClick(viewport, Qt::LeftButton, {}, rowPoint(1, 60, 20));
            QWidget *box = m_panel->taskText()->viewport();
            QTest::mouseDClick(box, Qt::LeftButton, {}, box->mapFrom(viewport, rowPoint(1, 60, 20)));
        }
        QPointer<QLineEdit> editor = viewport->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible() && editor->text() == "Call Bob");
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key(key));
        QTRY_VERIFY(!editor || !editor->isVisible());
        // Shown and saved like every other change.
        QCOMPARE(titles() << TodoModel(m_model->path()).tasks().at(1).title,
                 (QStringList{"First", kept, kept}));
    }

    // Made while no compositor runs, the window still has an alpha channel for one that comes.
    // The header moves it, a lock hides the grip, closing only hides it where it stands.
    void windowFrame()
    {
        QVERIFY(makePanel({"A"}, {}, {}, false));
        QVERIFY(!m_panel->mask().contains(QPoint(0, 0)) &&
                m_panel->windowHandle()->requestedFormat().hasAlpha());
        m_panel->setCompositing(true);
        QVERIFY(m_panel->mask().isEmpty());
        const QPoint start = m_panel->pos();
        QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseMove(m_panel.get(), QPoint(200, 120));
        QTRY_VERIFY(m_panel->pos() != start);
        QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(200, 120));
        m_panel->setLayoutLocked(true);
        QVERIFY(!m_panel->grip()->isVisible() && m_panel->property("panelLayoutLocked").toBool());
        m_panel->setLayoutLocked(false);
        QVERIFY(m_panel->grip()->isVisible() && m_panel->grip()->isEnabled());

        QSignalSpy asked(m_panel.get(), &TodoPanel::hideRequested);
        m_panel->move(120, 130);
        QVERIFY(!m_panel->close()); // refused: the panel only hides
        QVERIFY(!m_panel->isVisible() && asked.size() == 1);
        QCOMPARE(Settings::instance()->value(SettingsKeys::todoGeometry).toRect().topLeft(),
                 QPoint(120, 130));
    }

    void restoredGeometry_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("placed"); // invalid: the fallback
        QTest::newRow("on screen") << QRect(100, 120, 360, 300) << QRect(100, 120, 360, 300);
        // The offscreen test screen is 800 x 600.
        QTest::newRow("half off the screen is pulled inside")
            << QRect(700, 120, 360, 300) << QRect(440, 120, 360, 300);
        QTest::newRow("off every screen") << QRect(-5000, -5000, 360, 300) << QRect();
        QTest::newRow("nothing stored") << QRect() << QRect();
    }

    void restoredGeometry()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, placed);
        if (stored.isValid())
            Settings::instance()->setValue(SettingsKeys::todoGeometry, stored);
        m_model = std::make_unique<TodoModel>(m_env->appConfigDir() + "/todo.json");
        TodoPanel panel(m_model.get());
        const QRect fallback(30, 40, 340, 420);
        panel.restorePanelGeometry(fallback);
        const QRect expected = placed.isValid() ? placed : fallback;
        QCOMPARE(panel.pos(), expected.topLeft());
        QCOMPARE(panel.width(), expected.width());
        QCOMPARE(panel.height(), 122 + 52); // the height is the content's
    }

    // The header mirrors with the panel: glyph, then the title by it, then the count of open tasks.
    // A row's date line names the two latest days.
    void labels()
    {
        for (const bool rightToLeft : {false, true}) {
            QApplication::setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
            QVERIFY(makePanel({"Open", "Done"}, {false, true}));
            const TodoStyle::Header h = TodoStyle::header(m_panel->chrome());
            const auto lead = [rightToLeft](const QRectF &r) {
                return rightToLeft ? 340 - r.right() : r.left();
            };
            QCOMPARE(lead(h.glyph), 14);
            QCOMPARE(lead(h.title), TodoStyle::titleX);
            QCOMPARE(h.titleAlignment & ~Qt::AlignVertical_Mask,
                     Qt::AlignAbsolute | (rightToLeft ? Qt::AlignRight : Qt::AlignLeft));
            QCOMPARE(h.titleText, "To-do");
            QVERIFY(lead(h.badge) > TodoStyle::titleX + 20 && lead(h.badge) < 140);
            QCOMPARE(h.count, QString::number(m_model->activeCount()));
        }
        const QDate today(2024, 3, 1);
        QCOMPARE(TodoDelegate::dayLabel(today, today), "Today");
        QCOMPARE(TodoDelegate::dayLabel(QDate(2024, 2, 29), today), "Yesterday");
        QCOMPARE(TodoDelegate::dayLabel(QDate(2024, 2, 28), today),
                 QLocale().toString(QDate(2024, 2, 28), QLocale::ShortFormat));
    }

private:
    // A shown panel 340 px wide whose rows read top to bottom in the order given.
    TodoPanel *makePanel(const QStringList &titles, const QList<bool> &completed = {},
                         const QString &path = QString(), bool composited = true)
    {
        m_model = std::make_unique<TodoModel>(path.isEmpty() ? m_env->appConfigDir() + "/todo.json" : path);
        for (qsizetype i = titles.size() - 1; i >= 0; --i) {
            m_model->addTask(titles.at(i));
            if (completed.value(i))
                m_model->setCompleted(0, true);
        }
        m_panel = std::make_unique<TodoPanel>(m_model.get());
        m_panel->setCompositing(composited);
        m_panel->restorePanelGeometry(QRect(40, 40, 340, 420));
        m_panel->show();
        return QTest::qWaitForWindowExposed(m_panel.get()) ? m_panel.get() : nullptr;
    }
    // dx from the row's leading edge, or when negative from its trailing edge.
    QPoint rowPoint(int row, int dx, int dy) const
    {
        const QRect r = m_panel->list()->visualRect(m_panel->filter()->index(row, 0));
        const int lead = dx < 0 ? r.width() + dx : dx;
        return {m_panel->layoutDirection() == Qt::RightToLeft ? r.right() - lead : r.left() + lead,
                r.top() + dy};
    }
    QStringList titles() const
    {
        QStringList result;
        for (const TodoTask &task : m_model->tasks())
            result.append(task.title);
        return result;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TodoModel> m_model;
    std::unique_ptr<TodoPanel> m_panel;
};

QTEST_MAIN(TestTodoPanel)
#include "test_todopanel.moc"
