#include "TestEnvironment.h"
#include "base/AtomicSave.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>

using SafeFile::Status;

class TestFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void safeRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");

        QTest::newRow("regular") << "regular" << int(Status::Ok) << QByteArray("hello\n");
        QTest::newRow("empty") << "empty" << int(Status::Ok) << QByteArray();
        QTest::newRow("missing") << "missing" << int(Status::Missing) << QByteArray();
        QTest::newRow("dangling link") << "dangling" << int(Status::Missing) << QByteArray();
        QTest::newRow("link to regular") << "link" << int(Status::Ok) << QByteArray("hello\n");
        // Opening a FIFO plainly waits for a writer forever; this must return at once.
        QTest::newRow("fifo") << "fifo" << int(Status::NotRegular) << QByteArray();
        QTest::newRow("link to fifo") << "fifolink" << int(Status::NotRegular) << QByteArray();
        QTest::newRow("folder") << "folder" << int(Status::NotRegular) << QByteArray();
        // Read plainly, /dev/zero would be read until memory runs out.
        QTest::newRow("device") << "device" << int(Status::NotRegular) << QByteArray();
        QTest::newRow("over the cap") << "large" << int(Status::TooLarge) << QByteArray();
    }

    void safeRead()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, data);
        // Every kind of file side by side.
        TestEnvironment env;
        const QString dir = env.home() + '/';
        env.writeFile("regular", "hello\n");
        env.writeFile("empty", {});
        env.writeFile("large", QByteArray(101, 'x'));
        QVERIFY(QFile::link(dir + "regular", dir + "link"));
        QVERIFY(QFile::link(dir + "nowhere", dir + "dangling"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir + "fifo").constData(), 0644), 0);
        QVERIFY(QFile::link(dir + "fifo", dir + "fifolink"));
        QVERIFY(QDir().mkpath(dir + "folder"));
        const QString path = kind == "device" ? QString("/dev/zero") : dir + kind;

        const SafeFile::Result result = SafeFile::read(path, 100);
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.data, data);
        QCOMPARE(SafeFile::isRegularFile(path), status == int(Status::Ok) || status == int(Status::TooLarge));
    }

    void saveReplacesWholeFile()
    {
        TestEnvironment env;
        const QString path = env.writeFile("config/a.json", "old content that is longer");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const QString other = env.writeFile("elsewhere.json", "someone else's");
        const QString link = env.home() + "/config/link.json";
        QVERIFY(QFile::link(other, link));

        QVERIFY(AtomicSave::save(path, "new"));
        QCOMPARE(SafeFile::read(path, 100).data, QByteArray("new"));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u); // the replaced file's permissions are kept
        // A link is replaced by the file; what it pointed to is left alone.
        QVERIFY(AtomicSave::save(link, "mine"));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(SafeFile::read(other, 100).data, QByteArray("someone else's"));
        // Missing folders are created.
        QVERIFY(AtomicSave::save(env.home() + "/new/deep/b.json", "x"));
        QCOMPARE(QDir(env.home() + "/config").entryList(QDir::Files).size(), 2); // no temporaries left
    }

    void saveFailsAndKeepsPrevious_data()
    {
        QTest::addColumn<QString>("target");
        // The folder is a file: nothing can be created in it.
        QTest::newRow("folder is a file") << "blocker/x.json";
        // The target is a folder: the final rename fails after the data was written.
        QTest::newRow("target is a folder") << "taken";
    }

    void saveFailsAndKeepsPrevious()
    {
        QFETCH(QString, target);
        TestEnvironment env;
        env.writeFile("blocker", "previous");
        QVERIFY(QDir().mkpath(env.home() + "/taken/inside"));
        const AtomicSave::Result result = AtomicSave::save(env.home() + "/" + target, "data");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(SafeFile::read(env.home() + "/blocker", 100).data, QByteArray("previous"));
        QCOMPARE(QDir(env.home()).entryList(QDir::Files | QDir::Hidden).filter(".json.").size(), 0);
        QCOMPARE(QDir(env.home()).entryList({"taken.*"}, QDir::Files).size(), 0);
    }

    void staleTemporariesRemoved()
    {
        TestEnvironment env;
        const QString path = env.writeFile("panels.json", "{}");
        const QString stale = env.writeFile("panels.json.Ab12Cd", "half");
        const QString young = env.writeFile("panels.json.Zz99Yy", "being written");
        const QString unrelated = env.writeFile("panels.json.unreadable-20260101-000000", "keep");
        const QString notOurs = env.writeFile("panels.json.ab-12c", "keep"); // not letters and digits
        for (const QString &file : {stale, unrelated, notOurs}) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                  QFileDevice::FileModificationTime));
        }
        QCOMPARE(AtomicSave::removeStaleTemporaries(path), 1);
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(young));
        QVERIFY(QFile::exists(unrelated));
        QVERIFY(QFile::exists(notOurs));
        QVERIFY(QFile::exists(path));

        const QString copy = AtomicSave::keepCopy(path);
        QVERIFY(copy.startsWith(path + ".unreadable-"));
        QCOMPARE(SafeFile::read(copy, 100).data, QByteArray("{}"));
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
