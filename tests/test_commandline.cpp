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
        auto row = [](const char *tag, const QStringList &arguments, const QVariant &stored, int alpha,
                      int size) {
            QTest::newRow(tag) << arguments << stored << alpha << size;
        };
        row("defaults", {}, {}, 78, 48);
        row("alpha 0", {"--alpha=0"}, {}, 0, 48);
        row("alpha 100, opaque", {"--alpha", "100", "--opaque"}, {}, 100, 48);
        row("alpha 101", {"--alpha=101"}, {}, 78, 48);
        row("alpha hex is not base ten", {"--alpha=0x10"}, {}, 78, 48);
        row("stored size", {}, 64, 78, 64);
        row("stored out of range", {}, 200, 78, 48);
        row("size 32 beats stored", {"--icon-size=32"}, 64, 78, 32);
        row("size 96", {"--icon-size", "96"}, {}, 78, 96);
        row("size 31 keeps stored", {"--icon-size=31"}, 64, 78, 64);
        row("size 97 keeps default", {"--icon-size=97"}, {}, 78, 48);
    }

    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QVariant, stored);
        TestEnvironment env;
        QSettings settings(TestEnvironment::settingsFile(), QSettings::IniFormat);
        settings.clear();
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
