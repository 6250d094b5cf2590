#include "PanelTestHome.h"
#include "panels/ItemDragView.h"
#include "panels/SearchTrigger.h"
#include "panelset/PanelSet.h"

#include <QApplication>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// Opening an item records it instead of starting anything.
struct RecordingActions : ItemActions
{
    bool open(const QByteArray &pidl) override
    {
        opened.append(pidl);
        return true;
    }
    bool invokeVerb(const QByteArray &, const QString &, const Refused &) override { return false; }
    QList<QByteArray> opened;
};

} // namespace

// Which keys typed in a panel start the quick search, and how the request
// leaves the panel and the panel set.
class TestSearchTrigger : public QObject, PanelFixture
{
    Q_OBJECT

    RecordingActions *m_actions = nullptr;

private Q_SLOTS:
    void init()
    {
        startHome();
        addFiles({"/d/report.pdf", "/d/notes.txt", "/d/photo.png", "/d/readme"});
        auto actions = std::make_unique<RecordingActions>();
        m_actions = actions.get();
        m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop), nullptr,
                                                 std::move(actions), std::make_unique<ItemPlacement>());
    }
    void cleanup() { endHome(); }

    void fromEvent_data()
    {
        QTest::addColumn<int>("key"); // none: an input method's event
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text"); // the key's text, or what the input method composes
        QTest::addColumn<QString>("commit");
        QTest::addColumn<bool>("opens");
        const auto key = [](const char *tag, Qt::Key k, Qt::KeyboardModifiers modifiers, const QString &text,
                            bool opens) {
            QTest::newRow(tag) << int(k) << int(modifiers) << text << QString() << opens;
        };
        const auto im = [](const char *tag, const QString &preedit, const QString &commit) {
            QTest::newRow(tag) << 0 << 0 << preedit << commit << (!preedit.isEmpty() || !commit.isEmpty());
        };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        key("letter", Qt::Key_R, {}, "r", true);
        key("capital with Shift", Qt::Key_R, Qt::ShiftModifier, "R", true);
        key("keypad digit", Qt::Key_5, Qt::KeypadModifier, "5", true);
        key("accented letter", Qt::Key_Eacute, {}, "é", true);
        key("Ctrl+F opens empty", Qt::Key_F, ctrl, "\x06", true);
        key("Ctrl+F on the keypad flag", Qt::Key_F, ctrl | Qt::KeypadModifier, "\x06", true);
        key("Ctrl+Shift+F", Qt::Key_F, ctrl | Qt::ShiftModifier, "\x06", false);
        key("Alt+letter", Qt::Key_R, Qt::AltModifier, "r", false);
        key("Ctrl+letter", Qt::Key_A, ctrl, "\x01", false);
        key("Meta+letter", Qt::Key_R, Qt::MetaModifier, "r", false);
        key("space", Qt::Key_Space, {}, " ", false);
        key("delete", Qt::Key_Delete, {}, "\x7f", false);
        key("arrow", Qt::Key_Down, {}, "", false);
        im("composition begins", "ni", QString());
        im("committed text", QString(), "你");
        im("commit and new composition", "h", "你");
        im("input method, nothing", QString(), QString());
    }

    void fromEvent()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, commit);
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QInputMethodEvent composing(text, {});
        composing.setCommitString(commit);
        const auto trigger = SearchTrigger::fromEvent(key ? static_cast<QEvent *>(&press) : &composing);
        QTEST(trigger.has_value(), "opens");
        if (!trigger)
            return;
        QCOMPARE(trigger->fromInputMethod, !key);
        QCOMPARE(trigger->text, !key || key == Qt::Key_F ? QString() : text);
        QCOMPARE(trigger->preeditText, key ? QString() : text);
        QCOMPARE(trigger->commitText, commit);
    }

    // What opens a search leaves the panel as a request; the panel's own keyboard search does not see it.
    // Without anyone to open a search the view's own keyboard search keeps the keys.
    void panelAsksForTheSearch()
    {
        // Not shown: a window that got the focus would have a current item.
        IconPanel *panel = makePanel(QString());
        auto requests = std::make_unique<QSignalSpy>(panel, &IconPanel::searchRequested);
        QTest::keyClick(panel->view(), Qt::Key_R, Qt::AltModifier);
        QTest::keyClick(panel->view(), Qt::Key_R);
        QInputMethodEvent composing("ni", {});
        QApplication::sendEvent(panel->view(), &composing);
        QCOMPARE(requests->count(), 2);
        QCOMPARE(requests->at(0).at(0).value<QWidget *>(), panel->view());
        QCOMPARE(requests->at(0).at(1).value<SearchTrigger>().text, "r");
        QCOMPARE(requests->at(1).at(1).value<SearchTrigger>().preeditText, "ni");
        QVERIFY(!panel->view()->currentIndex().isValid());
        requests.reset();
        QTest::keyClick(panel->view(), Qt::Key_P);
        QCOMPARE(panel->view()->currentIndex().data().toString(), "photo.png");
    }

    void titleEditorNeverOpens()
    {
        IconPanel *panel = makePanel(PanelLayoutStore::createPanel("Mine"), 0, {100, 100, 400, 400});
        QVERIFY(panel);
        QSignalSpy requests(panel, &IconPanel::searchRequested);
        panel->beginRename();
        auto *editor = panel->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClick(editor, Qt::Key_R);
        QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(requests.count(), 0);
        QVERIFY(editor->text().endsWith('r'));
    }

    void panelSetForwardsAndOpens()
    {
        PanelSet set(IconPanelOptions{}, m_model.get(), true);
        set.showAll(false);
        QSignalSpy requests(&set, &PanelSet::searchRequested);
        const QList<IconPanel *> panels = set.panelsInOrder();
        QVERIFY(panels.size() >= 2);
        QTest::keyClick(panels.last()->view(), Qt::Key_N);
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).value<QWidget *>(), panels.last()->view());
        QCOMPARE(requests.at(0).at(1).value<SearchTrigger>().text, "n");

        QVERIFY(set.openItem(m_model->index(2, 0)));
        QCOMPARE(m_actions->opened,
                 QList<QByteArray>{m_model->index(2, 0).data(DesktopModel::KeyRole).toByteArray()});
        // An index of anything but the desktop model opens nothing.
        QStandardItemModel other;
        other.appendRow(new QStandardItem("notes.txt"));
        QVERIFY(!set.openItem(other.index(0, 0)));
        QVERIFY(!set.openItem(QModelIndex()));
        QCOMPARE(m_actions->opened.size(), 1);
    }
};

QTEST_MAIN(TestSearchTrigger)
#include "test_searchtrigger.moc"
