#include "TestEnvironment.h"
#include "shell/freedesktop/FreedesktopFileTransfer.h"

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using Mode = FileTransfer::Mode;

namespace {

// A whole transfer, or its cancellation, on a loaded machine.
constexpr int transferTimeoutMs = 60000;
// Large enough that a cancel on its first progress lands long before the copy ends.
constexpr qint64 largeFileBytes = qint64(8) << 30;

dev_t deviceOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}

ino_t inodeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// Makes a file per spec under folder: "a/b.txt" holds its own path (or content
// when given), "a/l@b.txt" is a link to b.txt, "a/p|" a FIFO, "big#" a sparse
// file of largeFileBytes.
void make(const QString &folder, const QStringList &specs, const QByteArray &content = {})
{
    for (const QString &spec : specs) {
        const QString name = spec.section(QRegularExpression("[@|#]"), 0, 0);
        const QString path = folder + '/' + name;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const QByteArray local = QFile::encodeName(path);
        if (spec.contains('@')) {
            QVERIFY(::symlink(spec.section('@', 1).toUtf8().constData(), local.constData()) == 0);
        } else if (spec.endsWith('|')) {
            QVERIFY(::mkfifo(local.constData(), 0600) == 0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(spec.endsWith('#') ? file.resize(largeFileBytes)
                                       : file.write(content.isEmpty() ? spec.toUtf8() : content) > 0);
        }
    }
}

// Everything under folder in make()'s form, hidden names too, folders ending in "/".
QStringList listing(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString name = QDir(folder).relativeFilePath(info.filePath());
        if (info.isSymLink())
            entries << name + '@' + info.symLinkTarget().section('/', -1);
        else if (info.isDir())
            entries << name + '/';
        else if (!info.isFile())
            entries << name + '|';
        else if (info.size() == largeFileBytes)
            entries << name + '#';
        else
            entries << name + '=' + TestEnvironment::readFile(info.filePath());
    }
    entries.sort();
    return entries;
}

} // namespace

class TestFileTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The sources are made in a folder of their own, the target folder holds
    // `taken` first; after the transfer the target holds `expected` and the
    // sources are either all gone (moved) or all as they were.
    void transfer_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<bool>("across"); // the target on another file system
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("cancel"); // on the first progress of a copy under way
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("placed"); // the name each source took; empty: none
        QTest::addColumn<bool>("moved");
        QTest::addColumn<int>("failures");
        const QStringList docs{"Docs/f.txt", "Docs/l@f.txt", "Docs/in/g.txt"};
        const QStringList docsCopied{"Docs/", "Docs/f.txt=Docs/f.txt", "Docs/in/",
                                     "Docs/in/g.txt=Docs/in/g.txt", "Docs/l@f.txt"};
        QTest::newRow("move within a file system")
            << QStringList{"a.txt"} << QStringList{"a.txt"} << QStringList() << false << Mode::Automatic
            << false << QStringList{"a.txt=a.txt"} << QStringList{"a.txt"} << true << 0;
        QTest::newRow("copy of a folder keeps links")
            << docs << QStringList{"Docs"} << QStringList() << false << Mode::Copy << false << docsCopied
            << QStringList{"Docs"} << false << 0;
        QTest::newRow("across copies")
            << docs << QStringList{"Docs"} << QStringList() << true << Mode::Automatic << false << docsCopied
            << QStringList{"Docs"} << false << 0;
        QTest::newRow("move across") << docs << QStringList{"Docs"} << QStringList() << true << Mode::Move
                                     << false << docsCopied << QStringList{"Docs"} << true << 0;
        QTest::newRow("clash takes (2)")
            << QStringList{"a.txt", "b.txt"} << QStringList{"a.txt", "b.txt"} << QStringList{"a.txt"} << false
            << Mode::Automatic << false << QStringList{"a (2).txt=a.txt", "a.txt=old", "b.txt=b.txt"}
            << QStringList{"a (2).txt", "b.txt"} << true << 0;
        QTest::newRow("special file fails a move across")
            << QStringList{"Docs/f.txt", "Docs/p|"} << QStringList{"Docs"} << QStringList() << true
            << Mode::Move << false << QStringList() << QStringList{""} << false << 1;
        QTest::newRow("cancel during a large file")
            << QStringList{"big#", "c.txt"} << QStringList{"big", "c.txt"} << QStringList() << false
            << Mode::Copy << true << QStringList() << QStringList{"", ""} << false << 0;
    }

    void transfer()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, taken);
        QFETCH(bool, across);
        QFETCH(Mode, mode);
        QFETCH(bool, cancel);
        QFETCH(QStringList, placed);
        QFETCH(bool, moved);
        QFETCH(int, failures);
        QTemporaryDir other("/dev/shm/larkspan-transfer-XXXXXX");
        if (across && (!other.isValid() || deviceOf(other.path()) == deviceOf(m_env->home())))
            QSKIP("no second file system at /dev/shm");
        const QString from = m_env->home() + "/from";
        const QString to = across ? other.path() : m_env->home() + "/to";
        make(from, files);
        make(to, taken, "old");
        QVERIFY(QDir().mkpath(to));
        const QStringList before = listing(from);
        const ino_t inode = inodeOf(from + '/' + sources.first());

        FreedesktopFileTransfer transfer;
        QSignalSpy done(&transfer, &FileTransfer::finished);
        connect(&transfer, &FileTransfer::progressed, this, [&](qint64 doneBytes) {
            if (cancel && doneBytes > 0)
                transfer.cancel();
        });
        QStringList paths;
        for (const QString &source : sources)
            paths << from + '/' + source;
        transfer.start(paths, to, mode);
        QVERIFY(done.wait(transferTimeoutMs));

        QTEST(listing(to), "expected");
        QCOMPARE(listing(from), moved ? QStringList() : before);
        QStringList targets = done.first().at(0).toStringList();
        QCOMPARE(targets.replaceInStrings(to + '/', ""), placed);
        const QStringList reasons = done.first().at(1).toStringList();
        QCOMPARE(reasons.size(), failures);
        if (failures)
            QVERIFY2(reasons.first().startsWith(sources.first() + ": "), qPrintable(reasons.first()));
        QCOMPARE(done.first().at(2).toBool(), cancel);
        // Within one file system a move is a rename: the same file, not a copy of it.
        if (moved && !across)
            QCOMPARE(inodeOf(to + '/' + placed.first()), inode);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestFileTransfer)
#include "test_filetransfer.moc"
