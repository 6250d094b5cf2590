// Every window and menu of the program, in every language, at the scale the
// test runs with (QT_SCALE_FACTOR): each is saved as a picture to look at, its
// texts must fit their widgets and every control must have a name for
// assistive technology.
#include "PanelTestHome.h"
#include "app/Organiser.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyFeature.h"
#include "currency/CurrencyPanel.h"
#include "currency/RateRecord.h"
#include "fakes/FakeAutostartEntry.h"
#include "fakes/FakeCompositorWatch.h"
#include "fakes/FakeIconSwitch.h"
#include "fakes/FakePlatformLook.h"
#include "fakes/FakeWindowStacking.h"
#include "look/AppStyle.h"
#include "panels/PanelLayoutStore.h"
#include "panelset/PanelSet.h"
#include "search/QuickSearch.h"
#include "shortcuts/DesktopShortcut.h"
#include "shortcuts/DesktopShortcuts.h"
#include "todo/TodoContextMenu.h"
#include "todo/TodoController.h"
#include "todo/TodoModel.h"
#include "todo/TodoPanel.h"
#include "tray/SettingsWindow.h"
#include "tray/TrayHost.h"
#include "tray/TrayIcon.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

namespace {

// Texts that are cut on purpose when there is no room, by object name.
// Everything else must fit.
const QStringList elidedByDesign{
    QStringLiteral("panelTitleEditor"), // a long panel name scrolls while it is renamed
};

bool isInteractive(QAccessible::Role role)
{
    using A = QAccessible;
    static const QList<A::Role> roles{
        A::PushButton,     A::CheckBox, A::RadioButton, A::ComboBox, A::EditableText,
        A::List,           A::Table,    A::Tree,        A::MenuItem, A::ButtonMenu,
        A::ButtonDropDown, A::SpinBox,  A::Slider,      A::PageTab,  A::Link};
    return roles.contains(role);
}

// A glyph such as "×" says nothing when read out.
bool saysSomething(const QString &name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber(); });
}

QString describe(const QWidget *widget)
{
    return QStringLiteral("%1 \"%2\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
}

// How much room the widget gives its text, and how much the text needs; an
// empty result when it fits or the widget shows no text.
QString cutText(const QWidget *widget)
{
    int room = -1;
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        text = label->text();
        if (text.isEmpty() || label->textFormat() == Qt::RichText)
            return {};
        if (label->wordWrap()) {
            // Wrapped text fits when all its lines have room below each other.
            const int needed = label->heightForWidth(label->width());
            return needed > label->height() ? QStringLiteral("\"%1\" wraps to %2 px in %3 px")
                                                  .arg(text)
                                                  .arg(needed)
                                                  .arg(label->height())
                                            : QString();
        }
        room = label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent());
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        text = button->text().remove(QLatin1Char('&'));
        const auto *tool = qobject_cast<const QToolButton *>(button);
        if (text.isEmpty() || (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly))
            return {};
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        const QStyle::SubElement contents =
            qobject_cast<const QCheckBox *>(button)      ? QStyle::SE_CheckBoxContents
            : qobject_cast<const QRadioButton *>(button) ? QStyle::SE_RadioButtonContents
                                                         : QStyle::SE_PushButtonContents;
        room = button->style()->subElementRect(contents, &option, button).width();
        if (!button->icon().isNull() && contents == QStyle::SE_PushButtonContents)
            room -= button->iconSize().width() + 4;
        if (qobject_cast<const QPushButton *>(button) && button->sizeHint().width() <= button->width())
            return {}; // the button's own measure of its text and padding
    } else if (const auto *combo = qobject_cast<const QComboBox *>(widget)) {
        text = combo->currentText();
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        room = combo->style()
                   ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                   .width();
        if (!combo->itemIcon(combo->currentIndex()).isNull())
            room -= combo->iconSize().width() + 4;
    } else if (const auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        // What the field shows while empty must be readable in full.
        text = edit->text().isEmpty() ? edit->placeholderText() : edit->text();
        const QMargins margins = edit->textMargins();
        const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        room = edit->contentsRect().width() - margins.left() - margins.right() - 2 * frame - 4;
    } else {
        return {};
    }
    int needed = 0; // the widest line
    for (const QString &line : text.split(QLatin1Char('\n')))
        needed = qMax(needed, widget->fontMetrics().horizontalAdvance(line));
    if (text.isEmpty() || needed <= room)
        return {};
    return QStringLiteral("\"%1\" needs %2 px, has %3 px").arg(text).arg(needed).arg(room);
}

} // namespace

class TestUiSweep : public QObject, PanelFixture
{
    Q_OBJECT

    std::unique_ptr<Organiser> m_organiser;
    QDir m_pictures;
    QString m_language;
    QStringList m_failures;

    // Saves the window's picture and notes each text that is cut and each
    // control without a name.
    void inspect(QWidget *window, const QString &what)
    {
        QCoreApplication::processEvents();
        QVERIFY2(window->isVisible(), qPrintable(what));
        const QString file =
            m_pictures.filePath(m_language + QLatin1Char('-') + what + QStringLiteral(".png"));
        // Light compression: hundreds of pictures are written on every run.
        QVERIFY2(window->grab().save(file, "PNG", 80), qPrintable(file));

        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (const QWidget *widget : std::as_const(widgets)) {
            if (!widget->isVisibleTo(window) || elidedByDesign.contains(widget->objectName()))
                continue;
            const QString cut = cutText(widget);
            if (!cut.isEmpty())
                m_failures.append(QStringLiteral("text cut: %1 in %2: %3").arg(describe(widget), what, cut));
        }

        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(window);
        if (!QList{QAccessible::Window, QAccessible::Dialog, QAccessible::PopupMenu}.contains(root->role()))
            m_failures.append(QStringLiteral("not a window: %1 has role %2").arg(what).arg(root->role()));
        // A context menu has no title; every other window is named.
        else if (root->role() != QAccessible::PopupMenu && !saysSomething(root->text(QAccessible::Name)))
            m_failures.append(QStringLiteral("no window name: %1").arg(what));
        checkNames(root, what);
    }

    // Hidden controls too: the title band's buttons show only under the pointer.
    void checkNames(QAccessibleInterface *node, const QString &what)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            if (!child)
                continue;
            const QString name = child->text(QAccessible::Name);
            if (isInteractive(child->role()) && !saysSomething(name)) {
                const QWidget *widget = qobject_cast<const QWidget *>(child->object());
                m_failures.append(QStringLiteral("no name: role %1 %2 \"%3\" in %4")
                                      .arg(child->role())
                                      .arg(widget ? describe(widget) : QString::number(i), name, what));
            }
            checkNames(child, what);
        }
    }

    // A menu and every submenu, each shown as the user opens it.
    void inspectMenu(QMenu *menu, const QString &what)
    {
        menu->popup(QPoint(40, 40));
        inspect(menu, what);
        int submenus = 0;
        for (QAction *action : menu->actions()) {
            if (action->menu() && action->isVisible())
                inspectMenu(action->menu(), what + QLatin1Char('-') + QString::number(++submenus));
        }
        menu->hide();
    }

    PanelSet *panels() const { return m_organiser->panels(); }

private Q_SLOTS:
    void initTestCase()
    {
        startHome();
        QApplication::setFont(AppStyle::appFont());
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
        m_pictures.setPath(QStringLiteral(LARKSPAN_ARTIFACTS) + QStringLiteral("/sweep-scale-") + scale);
        QVERIFY(m_pictures.removeRecursively() || !m_pictures.exists());
        QVERIFY(m_pictures.mkpath(QStringLiteral(".")));

        m_desktop->entries = {
            FakeDesktopSource::virtualItem(QStringLiteral("{645FF040-5081-101B-9F08-00AA002F954E}"),
                                           QStringLiteral("Trash")),
            FakeDesktopSource::folder(QStringLiteral("/d/Projects"))};
        for (const char *name : {"Quarterly report with a long name.pdf", "notes.txt", "holiday.png",
                                 "song.mp3", "clip.mp4", "backup.zip", "editor.desktop", "unknown.xyz"})
            m_desktop->entries.append(
                FakeDesktopSource::file(QStringLiteral("/d/") + QString::fromUtf8(name)));
        // A rate of yesterday's for the first pair, so the converter shows a
        // result without the network.
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        RateRecord::store(QStringLiteral("USD"), QStringLiteral("CNY"),
                          {{"base", "USD"}, {"quote", "CNY"}, {"rate", 7.2}, {"date", yesterday}});

        Organiser::Backend backend;
        backend.source = std::make_unique<FakeDesktopSource>(m_desktop);
        backend.iconSwitch = std::make_unique<FakeIconSwitch>(std::make_shared<FakeIconSwitch::State>());
        auto autostart = std::make_unique<FakeAutostartEntry>();
        const FakeAutostartEntry *signIn = autostart.get();
        backend.autostartEntry = std::move(autostart);
        auto *stacking = new FakeWindowStacking;
        stacking->available = false;
        backend.stacking = stacking;
        backend.compositor = new FakeCompositorWatch(true);
        backend.look = fakePlatformLook();
        backend.trayAvailable = [] {
            return true;
        };
        m_organiser = std::make_unique<Organiser>(std::move(backend), Organiser::Choices());
        // The first start's layout and sign-in entry wait until its windows are on screen.
        const QString layout = PanelLayoutStore::filePath();
        QVERIFY(!QFileInfo::exists(layout) && !signIn->enabled);
        QTRY_VERIFY(QFileInfo::exists(layout) && signIn->enabled);
        QTRY_VERIFY(panels()->itemCount() == m_desktop->entries.size());

        Q_EMIT panels()->panelsInOrder().constFirst()->createPanelRequested(QStringLiteral("Mine"));
        QTRY_VERIFY(panels()->panel(QStringLiteral("custom-1")));
        Q_EMIT panels()
            ->panel(QStringLiteral("custom-1"))
            ->itemsDropped({QStringLiteral("/d/notes.txt")}, QStringLiteral("custom-1"));

        // An item left loose on the desktop is a window of its own.
        auto *loose = qobject_cast<DesktopShortcuts *>(panels()->looseItems());
        QVERIFY(loose);
        loose->placeDroppedItems({QStringLiteral("/d/holiday.png")}, QPoint(600, 400));
        QTRY_VERIFY(loose->shortcut(QStringLiteral("/d/holiday.png")));

        TodoModel *tasks = m_organiser->todo()->model();
        tasks->addTask(QStringLiteral("Water the plants"));
        tasks->addTask(QStringLiteral("Send the quarterly report to everyone on the team before Friday"));
        tasks->addTask(QStringLiteral("Book the train"));
        tasks->setCompleted(tasks->rowCount() - 1, true);
        m_organiser->todo()->setVisible(true);

        m_organiser->currency()->setVisible(true);
        CurrencyPanel *currency = m_organiser->currency()->panel();
        auto *amount = currency->findChild<QLineEdit *>(QStringLiteral("currencyAmount"));
        amount->clear();
        QTest::keyClicks(amount, QStringLiteral("1250"));
        QTRY_VERIFY(!currency->findChild<QLineEdit *>(QStringLiteral("currencyResult"))->text().isEmpty());

        m_organiser->tray()->trayIcon()->showSettings();
    }

    void cleanupTestCase()
    {
        L10n::changeLanguage(QStringLiteral("en"));
        m_organiser.reset();
        endHome();
    }

    void sweep_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString &language : L10n::languages())
            QTest::newRow(qPrintable(language)) << language;
    }

    void sweep()
    {
        QFETCH(QString, language);
        L10n::changeLanguage(language);
        m_language = language;
        m_failures.clear();
        QCoreApplication::processEvents();

        for (IconPanel *panel : panels()->panelsInOrder())
            inspect(panel, panel->panelId());
        // The list differs from the grid only in how items are painted: one panel shows it.
        IconPanel *documents = panels()->panel(QStringLiteral("documents"));
        documents->setListView(true);
        inspect(documents, QStringLiteral("documents-list"));
        documents->setListView(false);
        IconPanel *custom = panels()->panel(QStringLiteral("custom-1"));
        custom->beginRename();
        inspect(custom, QStringLiteral("custom-1-rename"));
        QTest::keyClick(custom->findChild<QLineEdit *>(), Qt::Key_Escape);

        const QPoint empty = documents->view()->viewport()->rect().bottomRight() - QPoint(2, 2);
        inspectMenu(documents->createContextMenu(empty).get(), QStringLiteral("panel-menu"));
        const QPoint item = documents->view()->visualRect(documents->view()->model()->index(0, 0)).center();
        inspectMenu(documents->createContextMenu(item).get(), QStringLiteral("item-menu"));

        TodoPanel *todo = m_organiser->todo()->panel();
        inspect(todo, QStringLiteral("todo"));
        auto *taskList = todo->findChild<QAbstractItemView *>(QStringLiteral("todoList"));
        const QPoint task = taskList->visualRect(taskList->model()->index(0, 0)).center();
        if (std::unique_ptr<QMenu> menu = TodoContextMenu::create(todo, task))
            inspectMenu(menu.get(), QStringLiteral("todo-menu"));

        inspect(m_organiser->currency()->panel(), QStringLiteral("currency"));
        auto *loose = qobject_cast<DesktopShortcuts *>(panels()->looseItems());
        inspect(loose->shortcut(QStringLiteral("/d/holiday.png")), QStringLiteral("desktop-item"));

        QTest::keyClick(documents->view(), Qt::Key_N);
        QTRY_VERIFY(m_organiser->search() && m_organiser->search()->isVisible());
        inspect(m_organiser->search(), QStringLiteral("search"));
        m_organiser->search()->dismiss(false);

        TrayIcon *tray = m_organiser->tray()->trayIcon();
        inspect(tray->settingsWindow(), QStringLiteral("settings"));
        inspectMenu(tray->menu(), QStringLiteral("tray-menu"));

        for (const QString &failure : std::as_const(m_failures))
            qWarning().noquote() << failure;
        QVERIFY2(m_failures.isEmpty(), qPrintable(QStringLiteral("%1 problems").arg(m_failures.size())));
    }
};

QTEST_MAIN(TestUiSweep)
#include "test_uisweep.moc"
