#include "PanelTestHome.h"
#include "panels/ItemDragView.h"
#include "panels/SearchTrigger.h"
#include "panelset/PanelSet.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// Opening an item records it instead of starting anything.
struct RecordingActions : ItemActions
{
    explicit RecordingActions(QList<QByteArray> *log)
        : opened(log)
    {}
    bool open(const QByteArray &pidl) override
    {
        opened->append(pidl);
        return true;
    }
    bool invokeVerb(const QByteArray &, const QString &, const Refused &) override { return false; }
    QList<QByteArray> *opened;
};

struct KeyCase
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool opens;
};

} // namespace

Q_DECLARE_METATYPE(KeyCase)

// Which keys typed in a panel start the quick search, and how the request
// leaves the panel and the panel set.
class TestSearchTrigger : public QObject, PanelFixture
{
    Q_OBJECT

    QList<QByteArray> m_opened;

    IconPanel *makePanel(const QString &panelId = QString())
    {
        // Shown without waiting for it: a window that got the focus would have a current item.
        PanelFixture::makePanel(panelId)->applyGeometry(QRect(100, 100, 400, 400), false);
        m_panel->show();
        return m_panel.get();
    }

private Q_SLOTS:
    void init()
    {
        startHome();
        addFiles({"/d/report.pdf", "/d/notes.txt", "/d/photo.png", "/d/readme"});
        m_opened.clear();
        m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop), nullptr,
                                                 std::make_unique<RecordingActions>(&m_opened),
                                                 std::make_unique<ItemPlacement>());
    }
    void cleanup() { endHome(); }

    void openingKeys_data()
    {
        QTest::addColumn<KeyCase>("c");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        QTest::newRow("letter") << KeyCase{Qt::Key_R, {}, "r", true};
        QTest::newRow("capital with Shift") << KeyCase{Qt::Key_R, Qt::ShiftModifier, "R", true};
        QTest::newRow("keypad digit") << KeyCase{Qt::Key_5, Qt::KeypadModifier, "5", true};
        QTest::newRow("accented letter") << KeyCase{Qt::Key_Eacute, {}, "é", true};
        QTest::newRow("Ctrl+F opens empty") << KeyCase{Qt::Key_F, ctrl, "\x06", true};
        QTest::newRow("Ctrl+F on the keypad flag")
            << KeyCase{Qt::Key_F, ctrl | Qt::KeypadModifier, "\x06", true};
        QTest::newRow("Ctrl+Shift+F") << KeyCase{Qt::Key_F, ctrl | Qt::ShiftModifier, "\x06", false};
        QTest::newRow("Alt+letter") << KeyCase{Qt::Key_R, Qt::AltModifier, "r", false};
        QTest::newRow("Ctrl+letter") << KeyCase{Qt::Key_A, ctrl, "\x01", false};
        QTest::newRow("Meta+letter") << KeyCase{Qt::Key_R, Qt::MetaModifier, "r", false};
        QTest::newRow("space") << KeyCase{Qt::Key_Space, {}, " ", false};
        QTest::newRow("delete") << KeyCase{Qt::Key_Delete, {}, "\x7f", false};
        QTest::newRow("arrow") << KeyCase{Qt::Key_Down, {}, "", false};
    }

    void openingKeys()
    {
        QFETCH(KeyCase, c);
        IconPanel *panel = makePanel();
        QSignalSpy requests(panel, &IconPanel::searchRequested);
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text);
        QApplication::sendEvent(panel->view(), &press);
        QCOMPARE(requests.count(), c.opens ? 1 : 0);
        if (!c.opens)
            return;
        QCOMPARE(requests.at(0).at(0).value<QWidget *>(), panel->view());
        const auto trigger = SearchTrigger::fromEvent(&press);
        QVERIFY(trigger && !trigger->fromInputMethod);
        QCOMPARE(trigger->text, c.key == Qt::Key_F ? QString() : c.text);
        // The panel's own keyboard search does not also see the key.
        QVERIFY(!panel->view()->currentIndex().isValid());
    }

    void inputMethodOpens_data()
    {
        QTest::addColumn<QString>("preedit");
        QTest::addColumn<QString>("commit");
        QTest::newRow("composition begins") << "ni" << QString();
        QTest::newRow("committed text") << QString() << "你";
        QTest::newRow("commit and new composition") << "h"
                                                    << "你";
        QTest::newRow("nothing") << QString() << QString();
    }

    void inputMethodOpens()
    {
        QFETCH(QString, preedit);
        QFETCH(QString, commit);
        IconPanel *panel = makePanel();
        QSignalSpy requests(panel, &IconPanel::searchRequested);
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(panel->view(), &event);
        const bool opens = !preedit.isEmpty() || !commit.isEmpty();
        QCOMPARE(requests.count(), opens ? 1 : 0);
        if (!opens)
            return;
        const auto trigger = SearchTrigger::fromEvent(&event);
        QVERIFY(trigger && trigger->fromInputMethod && trigger->text.isEmpty());
        QCOMPARE(trigger->preeditText, preedit);
        QCOMPARE(trigger->commitText, commit);
    }

    void titleEditorNeverOpens()
    {
        IconPanel *panel = makePanel(PanelLayoutStore::createPanel("Mine"));
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QSignalSpy requests(panel, &IconPanel::searchRequested);
        panel->beginRename();
        auto *editor = panel->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClick(editor, Qt::Key_R);
        QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(requests.count(), 0);
        QVERIFY(editor->text().endsWith('r'));
    }

    // Without anyone to open a search the view's own keyboard search keeps the keys.
    void unconnectedPanelKeepsItsKeys()
    {
        IconPanel *panel = makePanel();
        QTest::keyClick(panel->view(), Qt::Key_P);
        QCOMPARE(panel->view()->currentIndex().data().toString(), "photo.png");
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
        QCOMPARE(m_opened, QList<QByteArray>{m_model->index(2, 0).data(DesktopModel::KeyRole).toByteArray()});
        // An index of anything but the desktop model opens nothing.
        QStandardItemModel other;
        other.appendRow(new QStandardItem("notes.txt"));
        QVERIFY(!set.openItem(other.index(0, 0)));
        QVERIFY(!set.openItem(QModelIndex()));
        QCOMPARE(m_opened.size(), 1);
    }
};

QTEST_MAIN(TestSearchTrigger)
#include "test_searchtrigger.moc"
