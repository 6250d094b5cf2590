#include "TestEnvironment.h"
#include "base/Settings.h"

#include <QRect>
#include <QSettings>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("absent todo visible") << "todo/visible" << QVariant() << QVariant(true);
        QTest::newRow("absent icon size reads 0") << "panel/iconSize" << QVariant() << QVariant(0);
        QTest::newRow("stored int as text")
            << "panel/iconSize" << QVariant(QStringLiteral("64")) << QVariant(64);
        QTest::newRow("junk int is the default")
            << "panel/iconSize" << QVariant(QStringLiteral("big")) << QVariant(0);
        QTest::newRow("bool as text")
            << "panel/layoutLocked" << QVariant(QStringLiteral("true")) << QVariant(true);
        QTest::newRow("panel suffix default") << "panel/custom-3/collapsed" << QVariant() << QVariant(false);
        QTest::newRow("single panel suffix")
            << "panel/expandedHeight" << QVariant(QStringLiteral("400")) << QVariant(400);
        QTest::newRow("rect of junk is absent")
            << "panel/documents/geometry" << QVariant(QStringLiteral("x")) << QVariant();
        QTest::newRow("rect") << "panel/documents/geometry" << QVariant(QRect(1, 2, 3, 4))
                              << QVariant(QRect(1, 2, 3, 4));
        QTest::newRow("unknown key as stored")
            << "currency/rates/USD/EUR" << QVariant(QStringLiteral("{}")) << QVariant(QStringLiteral("{}"));
    }

    void typedValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        TestEnvironment env;
        QSettings().clear();
        if (stored.isValid())
            QSettings().setValue(key, stored);
        QCOMPARE(Settings::instance()->value(key), expected);
    }

    void writesAnnounceTheirKey()
    {
        TestEnvironment env;
        QSettings().clear();
        QSignalSpy spy(Settings::instance(), &Settings::changed);
        Settings::instance()->setValue(SettingsKeys::todoVisible, false);
        Settings::instance()->remove(SettingsKeys::uiLanguage);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), SettingsKeys::todoVisible);
        QCOMPARE(spy.at(1).at(0).toString(), SettingsKeys::uiLanguage);
        QCOMPARE(Settings::instance()->value(SettingsKeys::todoVisible).toBool(), false);
        // The caller's default stands in for keys whose default depends on the run.
        QCOMPARE(Settings::instance()->value(QStringLiteral("todo/keepOnTop"), true).toBool(), true);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
