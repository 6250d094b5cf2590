#include "TestEnvironment.h"
#include "shell/windows/WindowsFileTransfer.h"

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QtTest>

#include <windows.h>

using Mode = FileTransfer::Mode;

namespace {

// A whole transfer, or its cancellation, on a loaded machine.
constexpr int transferTimeoutMs = 60000;
// Large enough that a cancel on the first progress lands long before its copy ends.
constexpr qint64 largeFileBytes = qint64(1) << 30;

const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

QString volumeOf(const QString &path)
{
    wchar_t volume[MAX_PATH] = {};
    return GetVolumePathNameW(wide(QDir::toNativeSeparators(path)), volume, MAX_PATH)
               ? QString::fromWCharArray(volume)
               : QString();
}

// The file system's own number for the file: the same after a rename, new for a copy.
quint64 fileId(const QString &path)
{
    HANDLE file = CreateFileW(wide(QDir::toNativeSeparators(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return read ? (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// Makes a file per spec under folder: "a/b.txt" holds its own path (or content
// when given), "r.txt^" is read-only, "big#" is a file of largeFileBytes.
void make(const QString &folder, const QStringList &specs, const QByteArray &content = {})
{
    for (const QString &spec : specs) {
        const QString name = spec.section(QRegularExpression("[#^]"), 0, 0);
        const QString path = folder + '/' + name;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(spec.endsWith('#') ? file.resize(largeFileBytes)
                                   : file.write(content.isEmpty() ? name.toUtf8() : content) > 0);
        file.close();
        if (spec.endsWith('^'))
            QVERIFY(SetFileAttributesW(wide(QDir::toNativeSeparators(path)), FILE_ATTRIBUTE_READONLY));
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
        if (info.isDir())
            entries << name + '/';
        else if (info.size() == largeFileBytes)
            entries << name + '#';
        else
            entries << name + '=' + TestEnvironment::readFile(info.filePath());
    }
    entries.sort();
    return entries;
}

} // namespace

class TestWindowsTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The sources are made in a folder of their own, the target folder holds
    // `taken` first; after the transfer the target holds `expected` and the
    // sources are either all gone (moved) or all as they were.
    void transfer_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("target"); // "to", "other" (another volume), or a folder under the sources'
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("cancel"); // on the first progress
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("placed"); // the name each source took; empty: none
        QTest::addColumn<bool>("moved");
        QTest::addColumn<int>("failures");
        const QStringList docs{"Docs/f.txt", "Docs/in/g.txt"};
        const QStringList docsCopied{"Docs/", "Docs/f.txt=Docs/f.txt", "Docs/in/",
                                     "Docs/in/g.txt=Docs/in/g.txt"};
        QTest::newRow("move within a volume")
            << QStringList{"a.txt"} << QStringList{"a.txt"} << QStringList() << "to" << Mode::Automatic
            << false << QStringList{"a.txt=a.txt"} << QStringList{"a.txt"} << true << 0;
        QTest::newRow("copy of a folder")
            << docs << QStringList{"Docs"} << QStringList() << "to" << Mode::Copy << false << docsCopied
            << QStringList{"Docs"} << false << 0;
        QTest::newRow("across copies")
            << docs << QStringList{"Docs"} << QStringList() << "other" << Mode::Automatic << false
            << docsCopied << QStringList{"Docs"} << false << 0;
        QTest::newRow("move across") << docs << QStringList{"Docs"} << QStringList() << "other" << Mode::Move
                                     << false << docsCopied << QStringList{"Docs"} << true << 0;
        QTest::newRow("clash takes (2)")
            << QStringList{"a.txt", "b.txt"} << QStringList{"a.txt", "b.txt"} << QStringList{"A.TXT"} << "to"
            << Mode::Automatic << false << QStringList{"A.TXT=old", "a (2).txt=a.txt", "b.txt=b.txt"}
            << QStringList{"a (2).txt", "b.txt"} << true << 0;
        QTest::newRow("folder clash across")
            << docs << QStringList{"Docs"} << QStringList{"Docs/old.txt"} << "other" << Mode::Move << false
            << QStringList{"Docs (2)/",    "Docs (2)/f.txt=Docs/f.txt",
                           "Docs (2)/in/", "Docs (2)/in/g.txt=Docs/in/g.txt",
                           "Docs/",        "Docs/old.txt=old"}
            << QStringList{"Docs (2)"} << true << 0;
        QTest::newRow("read-only original is not moved across")
            << QStringList{"r.txt^"} << QStringList{"r.txt"} << QStringList() << "other" << Mode::Move
            << false << QStringList() << QStringList{""} << false << 1;
        QTest::newRow("folder into itself")
            << docs << QStringList{"Docs"} << QStringList() << "from/Docs/in" << Mode::Copy << false
            << QStringList{"g.txt=Docs/in/g.txt"} << QStringList{""} << false << 1;
        QTest::newRow("cancel during a large file")
            << QStringList{"big#", "c.txt"} << QStringList{"big", "c.txt"} << QStringList() << "to"
            << Mode::Copy << true << QStringList() << QStringList{"", ""} << false << 0;
    }

    void transfer()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, taken);
        QFETCH(QString, target);
        QFETCH(Mode, mode);
        QFETCH(bool, cancel);
        QFETCH(QStringList, placed);
        QFETCH(bool, moved);
        QFETCH(int, failures);
        QTemporaryDir home;
        // Wine's drive Z: is the Unix root, another volume than the prefix's C:.
        QTemporaryDir other("Z:/tmp/larkspan-transfer-XXXXXX");
        if (target == "other" && (!other.isValid() || volumeOf(other.path()) == volumeOf(home.path())))
            QSKIP("no second volume");
        const QString from = home.path() + "/from";
        const QString to = target == "other" ? other.path() : home.path() + '/' + target;
        make(from, files);
        make(to, taken, "old");
        QVERIFY(QDir().mkpath(to));
        const QStringList before = listing(from);
        const quint64 id = fileId(from + '/' + sources.first());

        WindowsFileTransfer transfer;
        QSignalSpy done(&transfer, &FileTransfer::finished);
        connect(&transfer, &FileTransfer::progressed, this, [&] {
            if (cancel)
                transfer.cancel();
        });
        QStringList paths;
        for (const QString &source : sources)
            paths << QDir::toNativeSeparators(from + '/' + source);
        transfer.start(paths, QDir::toNativeSeparators(to), mode);
        QVERIFY(done.wait(transferTimeoutMs));

        QTEST(listing(to), "expected");
        QCOMPARE(listing(from), moved ? QStringList() : before);
        QStringList targets = done.first().at(0).toStringList();
        QCOMPARE(targets.replaceInStrings(QDir::toNativeSeparators(to) + '\\', ""), placed);
        const QStringList reasons = done.first().at(1).toStringList();
        QCOMPARE(reasons.size(), failures);
        if (failures)
            QVERIFY2(reasons.first().startsWith(sources.first() + ": "), qPrintable(reasons.first()));
        QCOMPARE(done.first().at(2).toBool(), cancel);
        // Within one volume a move is a rename: the same file, not a copy of it.
        if (moved && target == "to")
            QCOMPARE(fileId(to + '/' + placed.first()), id);
    }
};

QTEST_GUILESS_MAIN(TestWindowsTransfer)
#include "test_windowstransfer.moc"
