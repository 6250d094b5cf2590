#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/CategoryFilter.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelSet.h"
#include "panels/SearchTrigger.h"
#include "shell/DesktopModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::Key)

namespace {

// Opening an item records it instead of starting anything.
class RecordingActions : public ItemActions
{
public:
    explicit RecordingActions(QList<QByteArray> *opened)
        : m_opened(opened)
    {}
    bool open(const QByteArray &pidl) override
    {
        m_opened->append(pidl);
        return true;
    }
    bool invokeVerb(const QByteArray &, const QString &) override { return false; }

private:
    QList<QByteArray> *m_opened;
};

} // namespace

// Which keys typed in a panel start the quick search, and how the request
// leaves the panel and the panel set.
class TestSearchTrigger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openingKeys_data();
    void openingKeys();
    void inputMethodOpens_data();
    void inputMethodOpens();
    void titleEditorNeverOpens();
    void unconnectedPanelKeepsItsKeys();
    void panelSetForwardsAndOpens();

private:
    IconPanel *makePanel(const QString &panelId = QString());

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    QList<QByteArray> m_opened;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<IconPanel> m_panel;
};

void TestSearchTrigger::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    PanelLayoutStore::discardState();
    m_desktop = std::make_shared<FakeDesktopSource::State>();
    for (const char *name : {"report.pdf", "notes.txt", "photo.png", "readme"})
        m_desktop->entries.append(FakeDesktopSource::file(QString("/d/") + name));
    m_opened.clear();
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop), nullptr,
                                             std::make_unique<RecordingActions>(&m_opened),
                                             std::make_unique<ItemPlacement>());
    m_model->reload();
}

void TestSearchTrigger::cleanup()
{
    m_panel.reset();
    m_model.reset();
    PanelLayoutStore::discardState();
    m_env.reset();
}

IconPanel *TestSearchTrigger::makePanel(const QString &panelId)
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

void TestSearchTrigger::openingKeys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("opens");

    const auto row = [](const char *tag, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text,
                        bool opens) {
        QTest::newRow(tag) << key << int(modifiers) << text << opens;
    };
    row("letter", Qt::Key_R, Qt::NoModifier, "r", true);
    row("capital with Shift", Qt::Key_R, Qt::ShiftModifier, "R", true);
    row("keypad digit", Qt::Key_5, Qt::KeypadModifier, "5", true);
    row("accented letter", Qt::Key_Eacute, Qt::NoModifier, "é", true);
    row("punctuation", Qt::Key_Period, Qt::NoModifier, ".", true);
    row("Ctrl+F opens empty", Qt::Key_F, Qt::ControlModifier, "\x06", true);
    row("Ctrl+F on the keypad flag", Qt::Key_F, Qt::ControlModifier | Qt::KeypadModifier, "\x06", true);
    row("Ctrl+Shift+F", Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier, "\x06", false);
    row("Ctrl+Alt+F", Qt::Key_F, Qt::ControlModifier | Qt::AltModifier, "", false);
    row("Alt+letter", Qt::Key_R, Qt::AltModifier, "r", false);
    row("Ctrl+letter", Qt::Key_A, Qt::ControlModifier, "\x01", false);
    row("Meta+letter", Qt::Key_R, Qt::MetaModifier, "r", false);
    row("space", Qt::Key_Space, Qt::NoModifier, " ", false);
    row("tab", Qt::Key_Tab, Qt::NoModifier, "\t", false);
    row("return", Qt::Key_Return, Qt::NoModifier, "\r", false);
    row("keypad enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", false);
    row("escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", false);
    row("backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", false);
    row("delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", false);
    row("arrow", Qt::Key_Down, Qt::NoModifier, "", false);
    row("home", Qt::Key_Home, Qt::NoModifier, "", false);
    row("function key", Qt::Key_F2, Qt::NoModifier, "", false);
    row("Shift alone", Qt::Key_Shift, Qt::ShiftModifier, "", false);
    row("Control alone", Qt::Key_Control, Qt::ControlModifier, "", false);
}

void TestSearchTrigger::openingKeys()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, opens);
    IconPanel *panel = makePanel();
    QSignalSpy requests(panel, &IconPanel::searchRequested);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(panel->view(), &press);
    QCOMPARE(requests.count(), opens ? 1 : 0);
    if (!opens)
        return;
    QCOMPARE(requests.at(0).at(0).value<QWidget *>(), panel->view());
    const auto trigger = SearchTrigger::fromEvent(&press);
    QVERIFY(trigger);
    QCOMPARE(trigger->text, key == Qt::Key_F ? QString() : text);
    QVERIFY(!trigger->fromInputMethod);
    // The panel's own keyboard search does not also see the key.
    QVERIFY(!panel->view()->currentIndex().isValid());
}

void TestSearchTrigger::inputMethodOpens_data()
{
    QTest::addColumn<QString>("preedit");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<bool>("opens");
    QTest::newRow("composition begins") << "ni"
                                        << "" << true;
    QTest::newRow("committed text") << ""
                                    << "你" << true;
    QTest::newRow("commit and new composition") << "h"
                                                << "你" << true;
    QTest::newRow("nothing") << ""
                             << "" << false;
}

void TestSearchTrigger::inputMethodOpens()
{
    QFETCH(QString, preedit);
    QFETCH(QString, commit);
    QFETCH(bool, opens);
    IconPanel *panel = makePanel();
    QSignalSpy requests(panel, &IconPanel::searchRequested);
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(panel->view(), &event);
    QCOMPARE(requests.count(), opens ? 1 : 0);
    if (!opens)
        return;
    const auto trigger = SearchTrigger::fromEvent(&event);
    QVERIFY(trigger && trigger->fromInputMethod);
    QCOMPARE(trigger->text, QString());
    QCOMPARE(trigger->preeditText, preedit);
    QCOMPARE(trigger->commitText, commit);
}

void TestSearchTrigger::titleEditorNeverOpens()
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
void TestSearchTrigger::unconnectedPanelKeepsItsKeys()
{
    IconPanel *panel = makePanel();
    QTest::keyClick(panel->view(), Qt::Key_P);
    QVERIFY(panel->view()->currentIndex().isValid());
    QCOMPARE(panel->view()->currentIndex().data().toString(), "photo.png");
}

void TestSearchTrigger::panelSetForwardsAndOpens()
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
    QCOMPARE(m_opened,
             (QList<QByteArray>{m_model->index(2, 0).data(DesktopModel::KeyRole).toString().toUtf8()}));
    // An index of anything but the desktop model opens nothing.
    QStandardItemModel other;
    other.appendRow(new QStandardItem("notes.txt"));
    QVERIFY(!set.openItem(other.index(0, 0)));
    QVERIFY(!set.openItem(QModelIndex()));
    QCOMPARE(m_opened.size(), 1);
}

QTEST_MAIN(TestSearchTrigger)
#include "test_searchtrigger.moc"
