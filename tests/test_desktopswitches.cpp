#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "base/Settings.h"
#include "fakes/FakeGnomeShell.h"
#include "fakes/FakePlasmaShell.h"
#include "shell/ShellDesktop.h"
#include "shell/freedesktop/GnomeExtensionIconSwitch.h"
#include "shell/freedesktop/PlasmaIconSwitch.h"

#include <QtTest>

const QString ding = "ding@rastersoft.com"; // GNOME's desktop icons extension

// The switches of the desktops that cannot run here (KDE Plasma, GNOME Shell),
// each against a fake of its interface: hiding and giving the icons back
// through ShellDesktop, as the program does.
class TestDesktopSwitches : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // GNOME Shell's settings lists, as a schema of the test's own in memory.
    void initTestCase()
    {
        QFile schema(m_schemas.filePath("org.gnome.shell.gschema.xml"));
        QVERIFY(schema.open(QIODevice::WriteOnly));
        schema.write(R"(<schemalist><schema id="org.gnome.shell" path="/org/gnome/shell/">
<key name="enabled-extensions" type="as"><default>['ding@rastersoft.com']</default></key>
<key name="disabled-extensions" type="as"><default>[]</default></key></schema></schemalist>
)");
        schema.close();
        QVERIFY2(QProcess::execute("glib-compile-schemas", {m_schemas.path()}) == 0,
                 "glib-compile-schemas is needed (scripts/setup.sh installs it)");
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(m_schemas.path()));
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    void init()
    {
        m_bus.reset();
        m_env = std::make_unique<TestEnvironment>();
        TestEnvironment::settings().clear();
    }

    // GNOME's desktop icons extension is disabled while the icons are hidden,
    // and only when it was enabled; giving it back leaves the shell's lists
    // exactly as they were, however it had come to be enabled.
    void gnomeDesktopIcons_data()
    {
        QTest::addColumn<QVariant>("enabled"); // the user's list; none: the default, which names it
        QTest::addColumn<QVariant>("disabled");
        QTest::addColumn<QStringList>("sessionMode");
        QTest::addColumn<bool>("killedRunHidThem");
        QTest::addColumn<bool>("hides");
        const QStringList none;
        QTest::newRow("in the user's list, between others")
            << QVariant(QStringList{"a@x", ding, "b@x"}) << QVariant(QStringList{"c@x"}) << none << false
            << true;
        QTest::newRow("by the list's default") << QVariant() << QVariant() << none << false << true;
        QTest::newRow("by the session mode")
            << QVariant(none) << QVariant() << QStringList{ding} << false << true;
        QTest::newRow("disabled by the user: left alone")
            << QVariant() << QVariant(QStringList{ding}) << none << false << false;
        QTest::newRow("after a killed run")
            << QVariant(QStringList{ding, "a@x"}) << QVariant() << none << true << true;
    }

    void gnomeDesktopIcons()
    {
        QFETCH(QVariant, enabled);
        QFETCH(QVariant, disabled);
        QFETCH(bool, hides);
        const auto userList = [](const QVariant &list) {
            return list.isValid() ? std::optional(list.toStringList()) : std::nullopt;
        };
        using namespace GnomeShellSettings;
        QVERIFY(write(enabledKey, userList(enabled)) && write(disabledKey, userList(disabled)));
        auto *shell = new FakeGnomeShell;
        shell->installed = {ding};
        QFETCH(QStringList, sessionMode);
        shell->modeExtensions = sessionMode;
        hideAndGiveBack<GnomeExtensionIconSwitch>(shell, "org.gnome.Shell", "/org/gnome/Shell",
                                                  [&] { QVERIFY(!shell->isEnabled(ding)); });
        // What a run killed at the change must leave for the next was on disk before it.
        QCOMPARE(shell->keptAtChange.contains("gnomeExtensionLists="), hides);
        QCOMPARE(shell->isEnabled(ding), hides);
        QCOMPARE(userValue(enabledKey), userList(enabled));
        QCOMPARE(userValue(disabledKey), userList(disabled));
        QCOMPARE(shell->calls, hides ? QStringList{"DisableExtension " + ding} : QStringList());
    }

    // Plasma's folder views filter every icon out while they are hidden; giving
    // them back puts back each view's own filter and the icons' arrangement.
    void plasmaDesktopIcons_data()
    {
        QTest::addColumn<QByteArray>("views"); // the settings each folder view holds, by containment id
        QTest::addColumn<bool>("killedRunHidThem");
        QTest::addColumn<int>("writes");
        const QByteArray arranged = R"("positions":["1","4","desktop:/notes.txt","0","2"])";
        QTest::newRow("no filter, icons arranged") << "{\"7\":{" + arranged + "}}" << false << 3;
        QTest::newRow("the user's own filters, two screens")
            << R"({"7":{"filterMode":2,"filterPattern":"*.tmp",)" + arranged +
                   R"(},"9":{"filterMode":0,"positions":["x"]}})"
            << false << 3;
        QTest::newRow("after a killed run") << R"({"7":{"filterPattern":"*",)" + arranged + "}}" << true << 3;
        QTest::newRow("no folder view: no icons to hide") << QByteArray("{}") << false << 0;
    }

    void plasmaDesktopIcons()
    {
        QFETCH(QByteArray, views);
        const QJsonObject before = QJsonDocument::fromJson(views).object();
        auto *plasma = new FakePlasmaShell;
        plasma->views = before;
        hideAndGiveBack<PlasmaIconSwitch>(plasma, "org.kde.plasmashell", "/PlasmaShell", [plasma] {
            QCOMPARE(plasma->keptAtChange.contains("plasmaFolderViews="), !plasma->views.isEmpty());
            for (const QJsonValue &view : std::as_const(plasma->views)) {
                QCOMPARE(view["filterMode"].toInt(), 1);
                QCOMPARE(view["filterPattern"].toString(), PlasmaIconSwitch::hidingPattern());
            }
        });
        // A setting the view did not hold comes back as the folder view's default.
        QJsonObject expected = before;
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QJsonObject view = it->toObject();
            view.insert("filterMode", view.value("filterMode").toInt(0));
            view.insert("filterPattern", view.value("filterPattern").toString("*"));
            *it = view;
        }
        QCOMPARE(plasma->views, expected);
        QTEST(int(plasma->scripts.filter("var wanted = ").size()), "writes");
    }

private:
    // Hides the icons through the switch of a fake shell served until the next test (a
    // killed run of ours hid them first, if the row says so), then gives them back.
    template<typename Switch>
    void hideAndGiveBack(QObject *shell, const char *service, const char *path,
                         const std::function<void()> &whileHidden)
    {
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY2(m_bus->serve(shell, service, path), "dbus-daemon is needed (scripts/setup.sh installs it)");
        QDBusConnection client = m_bus->connect("client");
        QFETCH(bool, killedRunHidThem);
        if (killedRunHidThem) {
            QVERIFY(Switch(client).toggle());
            Settings::instance()->setValue(SettingsKeys::shellIconsHiddenByUs, true);
        }
        ShellDesktop desktop(std::make_unique<Switch>(client));
        desktop.hideIcons();
        QVERIFY(desktop.isHidden());
        whileHidden();
    }

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<TestEnvironment> m_env;
    QTemporaryDir m_schemas;
};

QTEST_GUILESS_MAIN(TestDesktopSwitches)
#include "test_desktopswitches.moc"
