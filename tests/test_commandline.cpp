#include "TestEnvironment.h"
#include "app/CommandLine.h"
#include "app/SettingsKeys.h"

#include <QCommandLineParser>
#include <QSettings>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void alpha_data();
    void alpha();
    void iconSize_data();
    void iconSize();
    void optionsFromParser_data();
    void optionsFromParser();
    void optionTable();
};

void TestCommandLine::alpha_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("hundred") << QStringLiteral("100") << 100;
    QTest::newRow("middle") << QStringLiteral("55") << 55;
    QTest::newRow("above") << QStringLiteral("101") << 78;
    QTest::newRow("negative") << QStringLiteral("-5") << 78;
    QTest::newRow("word") << QStringLiteral("half") << 78;
    QTest::newRow("empty") << QString() << 78;
    QTest::newRow("fraction") << QStringLiteral("50.5") << 78;
    QTest::newRow("hex is not base ten") << QStringLiteral("0x10") << 78;
    QTest::newRow("overflow") << QStringLiteral("99999999999999999999") << 78;
}

void TestCommandLine::alpha()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    QCOMPARE(CommandLine::alphaFrom(value), expected);
}

void TestCommandLine::iconSize_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("given");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing") << 0 << false << QStringLiteral("48") << 48;
    QTest::newRow("stored 64") << 64 << false << QStringLiteral("48") << 64;
    QTest::newRow("stored 200") << 200 << false << QString() << 48;
    QTest::newRow("option lower bound") << 0 << true << QStringLiteral("32") << 32;
    QTest::newRow("option upper bound") << 0 << true << QStringLiteral("96") << 96;
    QTest::newRow("option 31 keeps stored") << 64 << true << QStringLiteral("31") << 64;
    QTest::newRow("option 97 keeps default") << 0 << true << QStringLiteral("97") << 48;
    QTest::newRow("option beats stored") << 64 << true << QStringLiteral("40") << 40;
    QTest::newRow("option junk") << 72 << true << QStringLiteral("big") << 72;
}

void TestCommandLine::iconSize()
{
    QFETCH(int, stored);
    QFETCH(bool, given);
    QFETCH(QString, value);
    QFETCH(int, expected);
    QCOMPARE(CommandLine::iconSizeFrom(stored, given, value), expected);
}

void TestCommandLine::optionsFromParser_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<bool>("opaque");
    QTest::newRow("defaults") << QStringList() << QVariant() << 78 << 48 << false;
    QTest::newRow("stored size") << QStringList() << QVariant(64) << 78 << 64 << false;
    QTest::newRow("stored junk") << QStringList() << QVariant(QStringLiteral("huge")) << 78 << 48 << false;
    QTest::newRow("all given") << QStringList{QStringLiteral("--alpha=30"), QStringLiteral("--icon-size"),
                                              QStringLiteral("40"), QStringLiteral("--opaque")}
                               << QVariant(64) << 30 << 40 << true;
    QTest::newRow("bad values") << QStringList{QStringLiteral("--alpha=101"),
                                               QStringLiteral("--icon-size=97")}
                                << QVariant(64) << 78 << 64 << false;
}

void TestCommandLine::optionsFromParser()
{
    QFETCH(QStringList, arguments);
    QFETCH(QVariant, stored);
    QFETCH(int, alpha);
    QFETCH(int, iconSize);
    QFETCH(bool, opaque);

    TestEnvironment env;
    QSettings settings;
    settings.clear();
    if (stored.isValid())
        settings.setValue(SettingsKeys::panelIconSize, stored);

    QCommandLineParser parser;
    CommandLine::setUp(parser);
    QVERIFY(parser.parse(QStringList{QStringLiteral("larkspan")} + arguments));
    const IconPanelOptions options = CommandLine::optionsFrom(parser, settings);
    QCOMPARE(options.alpha, alpha);
    QCOMPARE(options.iconSize, iconSize);
    QCOMPARE(options.opaque, opaque);
    QCOMPARE(options.listView, false);
    // The command line never writes its size back.
    QCOMPARE(settings.value(SettingsKeys::panelIconSize), stored);
}

void TestCommandLine::optionTable()
{
    QCommandLineParser parser;
    CommandLine::setUp(parser);
    QVERIFY(parser.parse({QStringLiteral("larkspan")}));
    QCOMPARE(parser.value(QStringLiteral("alpha")), QStringLiteral("78"));
    QCOMPARE(parser.value(QStringLiteral("icon-size")), QStringLiteral("48"));

    const QString help = parser.helpText();
    const struct
    {
        const char *option;
        const char *description;
    } expected[] = {
        {"--alpha <percent>", "How solid a panel body is, 0-100."},
        {"--icon-size <pixels>", "Icon edge in pixels, 32-96."},
        {"--single", "One panel for everything, not one per kind."},
        {"--keep-icons", "Leave the real desktop icons on screen."},
        {"--topmost", "Pin above every window."},
        {"--opaque", "No glass; paint solid panels."},
        {"--no-tray", "No tray icon; closing a panel quits."},
    };
    qsizetype previous = help.indexOf(QLatin1String("--version"));
    QVERIFY(previous > 0);
    QVERIFY(help.indexOf(QLatin1String("--help")) < previous);
    for (const auto &row : expected) {
        const qsizetype at = help.indexOf(QLatin1String(row.option));
        QVERIFY2(at > previous, row.option);
        QVERIFY2(help.indexOf(QLatin1String(row.description), at) > at, row.description);
        previous = at;
    }
    QVERIFY(help.contains(
        QLatin1String("Clears the desktop and puts its icons in panels instead, one per kind of thing.")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
