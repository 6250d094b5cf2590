#include "TestEnvironment.h"
#include "app/CommandLine.h"
#include "base/SettingsKeys.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void options_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QVariant>("stored"); // icon size in the settings
        QTest::addColumn<int>("alpha");
        QTest::addColumn<int>("iconSize");
        QTest::newRow("defaults") << QStringList{} << QVariant() << 78 << 48;
        QTest::newRow("alpha 0") << QStringList{"--alpha=0"} << QVariant() << 0 << 48;
        QTest::newRow("alpha 100, opaque")
            << QStringList{"--alpha", "100", "--opaque"} << QVariant() << 100 << 48;
        QTest::newRow("alpha 101") << QStringList{"--alpha=101"} << QVariant() << 78 << 48;
        QTest::newRow("alpha hex is not base ten") << QStringList{"--alpha=0x10"} << QVariant() << 78 << 48;
        QTest::newRow("stored size") << QStringList{} << QVariant(64) << 78 << 64;
        QTest::newRow("stored out of range") << QStringList{} << QVariant(200) << 78 << 48;
        QTest::newRow("size 32 beats stored") << QStringList{"--icon-size=32"} << QVariant(64) << 78 << 32;
        QTest::newRow("size 96") << QStringList{"--icon-size", "96"} << QVariant() << 78 << 96;
        QTest::newRow("size 31 keeps stored") << QStringList{"--icon-size=31"} << QVariant(64) << 78 << 64;
        QTest::newRow("size 97 keeps default") << QStringList{"--icon-size=97"} << QVariant() << 78 << 48;
    }

    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QVariant, stored);
        TestEnvironment env;
        QSettings settings(TestEnvironment::settingsFile(), QSettings::IniFormat);
        if (stored.isValid())
            settings.setValue(SettingsKeys::panelIconSize, stored);
        QCommandLineParser parser;
        CommandLine::setUp(parser);
        QVERIFY(parser.parse(QStringList{"larkspan"} + arguments));
        const IconPanelOptions options = CommandLine::optionsFrom(parser);
        QTEST(options.alpha, "alpha");
        QTEST(options.iconSize, "iconSize");
        QCOMPARE(options.opaque, arguments.contains("--opaque"));
        // The command line never writes its size back.
        QCOMPARE(settings.value(SettingsKeys::panelIconSize), stored);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
