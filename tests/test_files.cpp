#include "TestEnvironment.h"
#include "base/AtomicSave.h"
#include "base/DamagedFile.h"
#include "base/SafeFile.h"

#include <QtTest>

#include <sys/stat.h>

using SafeFile::Status;

class TestFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every kind of file side by side: how it reads, and where a save of its
    // path goes: "here", "through" a link to a file of ours, "copy" (here, once
    // the user's file the link leads to is copied aside) or "nowhere".
    void safeRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("goes");

        QTest::newRow("regular") << "regular" << int(Status::Ok) << QByteArray("hello\n") << "here";
        QTest::newRow("empty") << "empty" << int(Status::Ok) << QByteArray() << "here";
        QTest::newRow("missing") << "missing" << int(Status::Missing) << QByteArray() << "here";
        QTest::newRow("dangling link") << "dangling" << int(Status::Missing) << QByteArray() << "here";
        QTest::newRow("link to ours") << "link" << int(Status::Ok) << QByteArray("hello\n") << "through";
        QTest::newRow("link to the user's") << "users" << int(Status::Ok) << QByteArray(100, 'x') << "copy";
        // Opening a FIFO plainly waits for a writer forever; this must return at once.
        QTest::newRow("fifo") << "fifo" << int(Status::NotRegular) << QByteArray() << "here";
        QTest::newRow("link to fifo") << "fifolink" << int(Status::NotRegular) << QByteArray() << "nowhere";
        QTest::newRow("folder") << "folder" << int(Status::NotRegular) << QByteArray() << "here";
        // Read plainly, /dev/zero would be read until memory runs out.
        QTest::newRow("device") << "device" << int(Status::NotRegular) << QByteArray() << "here";
        QTest::newRow("link to device") << "devlink" << int(Status::NotRegular) << QByteArray() << "nowhere";
        QTest::newRow("at the cap") << "cap" << int(Status::Ok) << QByteArray(100, 'x') << "here";
        QTest::newRow("over the cap") << "large" << int(Status::TooLarge) << QByteArray() << "here";
    }

    void safeRead()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, goes);
        TestEnvironment env;
        const QString dir = env.home() + '/';
        env.writeFile("regular", "hello\n");
        env.writeFile("empty", {});
        env.writeFile("cap", QByteArray(100, 'x'));
        env.writeFile("large", QByteArray(101, 'x'));
        QVERIFY(QFile::link(dir + "regular", dir + "link"));
        QVERIFY(QFile::link(dir + "cap", dir + "users"));
        QVERIFY(QFile::link(dir + "nowhere", dir + "dangling"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir + "fifo").constData(), 0644), 0);
        QVERIFY(QFile::link(dir + "fifo", dir + "fifolink"));
        QVERIFY(QFile::link("/dev/null", dir + "devlink"));
        QVERIFY(QDir().mkpath(dir + "folder"));
        const QString path = kind == "device" ? QString("/dev/zero") : dir + kind;

        const SafeFile::Result result = SafeFile::read(path, 100);
        QCOMPARE(int(result.status), status);
        QTEST(result.data, "data");
        QCOMPARE(SafeFile::isRegularFile(path), status == int(Status::Ok) || status == int(Status::TooLarge));

        if (goes == "copy" || goes == "nowhere")
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(goes == "copy" ? "linked from" : "links to"));
        const QString saved = AtomicSave::saveTarget(path, 100, [](auto &data) { return data == "hello\n"; });
        QCOMPARE(saved, goes == "through" ? dir + "regular" : goes == "nowhere" ? QString() : path);
        QCOMPARE(QDir(dir).entryList({"*.unreadable-*"}, QDir::Files).size(), goes == "copy" ? 1 : 0);
        QCOMPARE(SafeFile::read(dir + "cap", 100).data, QByteArray(100, 'x'));
    }

    // One scene for every save: a file of mode 0600, a link to someone else's
    // file, a file where a folder belongs and a folder where the file belongs.
    void save_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("saved");
        QTest::newRow("replaces the whole file") << "config/a.json" << true;
        QTest::newRow("replaces a link, not what it leads to") << "config/link.json" << true;
        QTest::newRow("creates missing folders") << "new/deep/b.json" << true;
        QTest::newRow("folder is a file") << "blocker/x.json" << false;
        // The final rename fails after the data was written.
        QTest::newRow("target is a folder") << "taken" << false;
    }

    void save()
    {
        QFETCH(QString, target);
        QFETCH(bool, saved);
        TestEnvironment env;
        const QString mode600 = env.writeFile("config/a.json", "old content that is longer");
        QVERIFY(QFile::setPermissions(mode600, QFile::ReadOwner | QFile::WriteOwner));
        const QString other = env.writeFile("elsewhere.json", "someone else's");
        QVERIFY(QFile::link(other, env.home() + "/config/link.json"));
        env.writeFile("blocker", "previous");
        QVERIFY(QDir().mkpath(env.home() + "/taken/inside"));
        const QString path = env.home() + '/' + target;

        const AtomicSave::Result result = AtomicSave::save(path, "new");
        QVERIFY(result.ok == saved && result.error.isEmpty() == saved);
        QCOMPARE(TestEnvironment::readFile(path), QByteArray(saved ? "new" : ""));
        QVERIFY(!QFileInfo(path).isSymLink());
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(mode600).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u); // a replaced file's permissions are kept
        QCOMPARE(TestEnvironment::readFile(other), QByteArray("someone else's"));
        QCOMPARE(TestEnvironment::readFile(env.home() + "/blocker"), QByteArray("previous"));
        QDirIterator files(env.home(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            QVERIFY2(!files.next().contains(".tmp-"), qPrintable(files.filePath()));
    }

    // A user's files beside the saved file, or beside the file a link to it
    // leads to ("repo/"), whatever their names: only our own temporaries go.
    void staleTemporariesRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("old");
        QTest::addColumn<bool>("removed");
        QTest::newRow("our temporary") << ".panels.json.tmp-Ab12Cd" << true << true;
        QTest::newRow("our temporary, being written") << ".panels.json.tmp-Zz99Yy" << false << false;
        QTest::newRow("our temporary beside the target") << "repo/.panels.json.tmp-Ab12Cd" << true << true;
        QTest::newRow("user's backup") << "panels.json.backup" << true << false;
        QTest::newRow("user's before") << "panels.json.before" << true << false;
        QTest::newRow("user's v2copy") << "panels.json.v2copy" << true << false;
        QTest::newRow("user's backup beside the target") << "repo/panels.json.backup" << true << false;
        QTest::newRow("kept copy") << "panels.json.unreadable-20260101-000000" << true << false;
        QTest::newRow("not letters and digits") << ".panels.json.tmp-ab-12c" << true << false;
    }

    void staleTemporariesRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, old);
        QFETCH(bool, removed);
        TestEnvironment env;
        const QString path = env.home() + "/panels.json";
        QVERIFY(QFile::link(env.writeFile("repo/panels.json", "{}"), path));
        const QString file = env.writeFile(name, "someone's");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        if (old)
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFile::FileModificationTime));
        QCOMPARE(AtomicSave::removeStaleTemporaries(path), removed ? 1 : 0);
        QCOMPARE(QFile::exists(file), !removed);
        QVERIFY(QFileInfo(path).isSymLink());
    }

    // One copy per content, each under a name of its own, beside the user's
    // file when a link leads to it; each copy is said.
    void copiesKept()
    {
        TestEnvironment env;
        const QString file = env.writeFile("repo/todo.json", "first");
        const QString link = env.home() + "/todo.json";
        QVERIFY(QFile::link(file, link));
        // Copies made within one second, the name of that second already taken.
        const QString now = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
        const QString later = QDateTime::currentDateTime().addSecs(1).toString("yyyyMMdd-HHmmss");
        env.writeFile("repo/todo.json.unreadable-" + now, "other");
        env.writeFile("repo/todo.json.unreadable-" + later, "other");

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("repo/todo.json could not be read; it was"));
        QStringList copies;
        for (const char *content : {"first", "first", "second"}) {
            env.writeFile("repo/todo.json", content);
            copies << AtomicSave::keepCopy(link, "could not be read");
            QVERIFY(copies.last().startsWith(file + ".unreadable-"));
        }
        QVERIFY(copies.at(1) == copies.at(0) && copies.at(2) != copies.at(0)); // a content is kept once
        QCOMPARE(TestEnvironment::readFile(copies.at(0)), QByteArray("first"));
        QCOMPARE(TestEnvironment::readFile(copies.at(2)), QByteArray("second"));
        QVERIFY(QDir(env.home()).entryList({"todo.json.*"}, QDir::Files).isEmpty()); // none beside the link
        QCOMPARE(QDir(env.home() + "/repo").entryList({"todo.json.unreadable-*"}, QDir::Files).size(), 4);
    }

    // A file of ours that was not fully read is copied aside once, at once,
    // before anything replaces it; one that cannot be read at all is never
    // replaced while it stands there.
    void damagedFile_data()
    {
        QTest::addColumn<QString>("kind"); // what stands at the path
        QTest::addColumn<bool>("understood");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<bool>("replaceable");
        QTest::newRow("none") << "missing" << true << false << true;
        QTest::newRow("understood") << "file" << true << false << true;
        QTest::newRow("not fully understood") << "file" << false << true << true;
        QTest::newRow("too large") << "large" << true << true << true;
        QTest::newRow("folder") << "folder" << true << false << false;
        QTest::newRow("link to a folder") << "linked folder" << true << false << false;
    }

    void damagedFile()
    {
        QFETCH(QString, kind);
        QFETCH(bool, understood);
        QFETCH(bool, copied);
        QFETCH(bool, replaceable);
        TestEnvironment env;
        const QString path = env.home() + "/list.json";
        if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == "linked folder")
            QVERIFY(QDir().mkpath(env.home() + "/dir") && QFile::link(env.home() + "/dir", path));
        else if (kind != "missing")
            env.writeFile("list.json", "{}");
        const Status status = SafeFile::read(path, kind == "large" ? 1 : SafeFile::textCap).status;
        if (copied)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be fully read; it was kept as"));
        if (!replaceable)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("list changes are kept in memory only"));
        DamagedFile file(path, "list");
        file.read(status, understood);
        const QStringList copies = QDir(env.home()).entryList({"list.json.unreadable-*"}, QDir::Files);
        QCOMPARE(copies.size(), copied ? 1 : 0); // at once, as it was read
        QCOMPARE(file.mayReplace(), replaceable);
        QCOMPARE(file.mayReplace(), replaceable);
        QCOMPARE(QDir(env.home()).entryList({"list.json.unreadable-*"}, QDir::Files), copies);
        QCOMPARE(file.keptCopy(), copied ? env.home() + "/" + copies.constFirst() : QString());
        if (kind == "linked folder") {
            // A link left dangling still stands in the file's place.
            QVERIFY(QDir(env.home() + "/dir").removeRecursively());
            QVERIFY(!file.mayReplace());
            QVERIFY(QFile::remove(path));
        }
        // Once what could not be read is gone, a save replaces nothing of the user's.
        QDir(path).removeRecursively();
        QVERIFY(file.mayReplace());
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
