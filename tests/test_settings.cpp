#include "TestEnvironment.h"
#include "base/SafeFile.h"
#include "base/Settings.h"
#include "base/StartupHold.h"
#include "fakes/StuckFifo.h"

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

        const auto row = [](const char *tag, const char *key, const QVariant &stored,
                            const QVariant &expected) {
            QTest::newRow(tag) << QString(key) << stored << expected;
        };
        row("absent todo visible", "todo/visible", {}, true);
        row("absent icon size reads 0", "panel/iconSize", {}, 0);
        row("stored int as text", "panel/iconSize", "64", 64);
        row("junk int is the default", "panel/iconSize", "big", 0);
        row("bool as text", "panel/layoutLocked", "true", true);
        row("panel suffix default", "panel/custom-3/collapsed", {}, false);
        row("single panel suffix", "panel/expandedHeight", "400", 400);
        row("rect of junk is absent", "panel/documents/geometry", "x", {});
        row("rect", "panel/documents/geometry", QRect(1, 2, 3, 4), QRect(1, 2, 3, 4));
        row("unknown key as stored", "currency/rates/USD/EUR", "{}", "{}");
    }

    void typedValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        TestEnvironment env;
        if (stored.isValid())
            TestEnvironment::settings().setValue(key, stored);
        QTEST(Settings::instance()->value(key), "expected");
    }

    void writesAnnounceTheirKey()
    {
        TestEnvironment env;
        QSignalSpy spy(Settings::instance(), &Settings::changed);
        Settings::instance()->setValue(SettingsKeys::todoVisible, false);
        Settings::instance()->remove(SettingsKeys::uiLanguage);
        QCOMPARE(QList<QVariantList>(spy),
                 (QList<QVariantList>{{SettingsKeys::todoVisible}, {SettingsKeys::uiLanguage}}));
        // Changes reach the disk at the next turn; a record that must outlive a kill goes at once, with them.
        QVERIFY(!TestEnvironment::readFile(Settings::filePath()).contains("visible=false"));
        Settings::instance()->setValueNow(SettingsKeys::shellIconsHiddenByUs, true);
        const QByteArray disk = TestEnvironment::readFile(Settings::filePath());
        QVERIFY(disk.contains("visible=false") && disk.contains("iconsHiddenByUs=true"));
        // During a start they wait until its windows are on screen.
        auto start = std::make_unique<StartupHold>();
        Settings::instance()->setValue(SettingsKeys::todoVisible, true);
        QTest::qWait(20);
        QVERIFY(TestEnvironment::readFile(Settings::filePath()).contains("visible=false"));
        start.reset();
        QVERIFY(TestEnvironment::readFile(Settings::filePath()).contains("visible=true"));
        // The caller's default stands in for keys whose default depends on the run.
        QCOMPARE(Settings::instance()->value(QStringLiteral("todo/keepOnTop"), true).toBool(), true);
    }

    // Whatever sits at the settings path, the program starts at once, never
    // writes over anything but a settings file of its own and says what it did.
    // Last: a row may leave the settings in memory.
    void hostileFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("stored");     // a change reaches a settings file
        QTest::addColumn<QString>("message"); // said on standard error
        QTest::newRow("nothing there yet") << "none" << true << "";
        QTest::newRow("link to the user's notes") << "notes" << true << "notes.txt is linked from";
        QTest::newRow("link to a settings file of ours") << "ours" << true << "";
        QTest::newRow("fifo") << "fifo" << false << "brim-vale.conf: it is not a regular file";
        QTest::newRow("link to a fifo") << "fifolink" << false << "brim-vale.conf: it links to";
        QTest::newRow("folder") << "folder" << false << "brim-vale.conf: it is not a regular file";
    }

    void hostileFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(bool, stored);
        TestEnvironment env;
        const QString path = Settings::filePath();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        const QString notes = env.writeFile("notes.txt", "buy milk\n");
        const QString ours = env.writeFile("dotfiles/brim-vale.conf", "[todo]\nvisible=true\n");
        std::optional<StuckFifo> fifo;
        if (kind.startsWith("fifo") && !StuckFifo::available)
            QSKIP("no FIFOs on this platform");
        const bool link = kind == "notes" || kind == "ours" || kind == "fifolink";
        if (link && !TestEnvironment::makesSymbolicLinks())
            QSKIP("no symbolic links on this platform");
        if (kind.startsWith("fifo"))
            QVERIFY(fifo.emplace(kind == "fifo" ? path : env.home() + "/fifo").made());
        const QString linkTo = kind == "notes" ? notes : kind == "ours" ? ours : env.home() + "/fifo";
        if (link)
            QVERIFY(QFile::link(linkTo, path));
        if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(message)));

        Settings::checkFile();
        QCOMPARE(Settings::instance()->value(SettingsKeys::todoVisible).toBool(), true);
        Settings::instance()->setValue(SettingsKeys::todoVisible, false);
        QCOMPARE(Settings::instance()->value(SettingsKeys::todoVisible).toBool(), false);
        QVERIFY(!fifo || !fifo->blockedReader());
        QCOMPARE(TestEnvironment::readFile(notes), QByteArray("buy milk\n"));
        QCOMPARE(QDir(env.home()).entryList({"notes.txt.unreadable-*"}).size(), kind == "notes" ? 1 : 0);
        QCOMPARE(QFileInfo(path).isSymLink(), kind == "ours" || kind == "fifolink");
        // Written at the next turn of the event loop, with whatever else that turn set.
        QTRY_COMPARE(SafeFile::read(kind == "ours" ? ours : path, 100).data.contains("visible=false"),
                     stored);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
