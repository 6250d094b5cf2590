#pragma once

#include "TestEnvironment.h"
#include "shell/FileTransfer.h"

#include <QtTest>

#include <functional>

// What the Linux and the Windows transfer tests share: the same rules, each
// platform's own file operations. A row's sources are made in a folder of their
// own, the target folder holds `taken` first; after the transfer the target
// holds `expected` and the sources are either all gone (moved) or all as they were.
namespace TransferTest {

using Mode = FileTransfer::Mode;

// A whole transfer, or its cancellation, on a loaded machine.
constexpr int timeoutMs = 60000;

struct Platform
{
    // Large enough that a cancel on the first progress lands long before its copy ends.
    qint64 largeFileBytes;
    // The progress at which a row that cancels does so.
    qint64 cancelFromBytes;
    // Makes what a spec marks otherwise than make() does, after that.
    std::function<bool(const QString &path, const QString &spec)> makeSpecial;
    // The file system's own number for a file: the same after a rename, new for a copy.
    std::function<quint64(const QString &path)> identity;
    // A path as the platform's calls take it.
    std::function<QString(const QString &path)> native;
};

// The columns, and the rows both platforms share; `docs` is a folder of files, as `copied` lists it.
inline void addCommonRows(const QStringList &docs, const QStringList &copied)
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("target"); // "to", "other" (another volume), or a folder under the sources'
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("cancel"); // on the first progress of a copy under way
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("placed"); // the name each source took; empty: none
    QTest::addColumn<bool>("moved");
    QTest::addColumn<int>("failures");
    QTest::newRow("move within a volume")
        << QStringList{"a.txt"} << QStringList{"a.txt"} << QStringList() << "to" << Mode::Automatic << false
        << QStringList{"a.txt=a.txt"} << QStringList{"a.txt"} << true << 0;
    QTest::newRow("copy of a folder") << docs << QStringList{"Docs"} << QStringList() << "to" << Mode::Copy
                                      << false << copied << QStringList{"Docs"} << false << 0;
    QTest::newRow("across copies") << docs << QStringList{"Docs"} << QStringList() << "other"
                                   << Mode::Automatic << false << copied << QStringList{"Docs"} << false << 0;
    QTest::newRow("move across") << docs << QStringList{"Docs"} << QStringList() << "other" << Mode::Move
                                 << false << copied << QStringList{"Docs"} << true << 0;
    QTest::newRow("cancel during a large file")
        << QStringList{"big#", "c.txt"} << QStringList{"big", "c.txt"} << QStringList() << "to" << Mode::Copy
        << true << QStringList() << QStringList{"", ""} << false << 0;
}

// Makes a file per spec under folder: "a/b.txt" holds its own path (or content
// when given), "big#" is a file of largeFileBytes; a spec with any other mark
// ("l@b.txt", "p|", "r.txt^") is finished by the platform.
inline void make(const Platform &platform, const QString &folder, const QStringList &specs,
                 const QByteArray &content = {})
{
    static const QRegularExpression marks("[@|#^]");
    for (const QString &spec : specs) {
        const QString name = spec.section(marks, 0, 0);
        const QString path = folder + '/' + name;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        if (!spec.contains('@') && !spec.endsWith('|')) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(spec.endsWith('#') ? file.resize(platform.largeFileBytes)
                                       : file.write(content.isEmpty() ? name.toUtf8() : content) > 0);
        }
        if (spec != name && !spec.endsWith('#'))
            QVERIFY(platform.makeSpecial(path, spec));
    }
}

// Everything under folder in make()'s form, hidden names too, folders ending in "/".
inline QStringList listing(const Platform &platform, const QString &folder)
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
        else if (info.size() == platform.largeFileBytes)
            entries << name + '#';
        else
            entries << name + '=' + TestEnvironment::readFile(info.filePath());
    }
    entries.sort();
    return entries;
}

// Runs the row's transfer from home's "from" to its target, `other` being the
// other volume's folder, and compares what it reported and left.
template<typename Transfer>
void run(const Platform &platform, const QString &home, const QString &other)
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
    const QString from = home + "/from";
    const QString to = target == "other" ? other : home + '/' + target;
    make(platform, from, files);
    make(platform, to, taken, "old");
    QVERIFY(QDir().mkpath(to));
    const QStringList before = listing(platform, from);
    const quint64 id = platform.identity(from + '/' + sources.first());

    Transfer transfer;
    QSignalSpy done(&transfer, &FileTransfer::finished);
    QObject::connect(&transfer, &FileTransfer::progressed, &transfer, [&](qint64 doneBytes) {
        if (cancel && doneBytes >= platform.cancelFromBytes)
            transfer.cancel();
    });
    QStringList paths;
    for (const QString &source : sources)
        paths << platform.native(from + '/' + source);
    transfer.start(paths, platform.native(to), mode);
    QVERIFY(done.wait(timeoutMs));

    QTEST(listing(platform, to), "expected");
    QCOMPARE(listing(platform, from), moved ? QStringList() : before);
    QStringList targets = done.first().at(0).toStringList();
    QCOMPARE(targets.replaceInStrings(platform.native(to + '/'), ""), placed);
    const QStringList reasons = done.first().at(1).toStringList();
    QCOMPARE(reasons.size(), failures);
    if (failures)
        QVERIFY2(reasons.first().startsWith(sources.first() + ": "), qPrintable(reasons.first()));
    QCOMPARE(done.first().at(2).toBool(), cancel);
    // Within one volume a move is a rename: the same file, not a copy of it.
    if (moved && target == "to")
        QCOMPARE(platform.identity(to + '/' + placed.first()), id);
}

} // namespace TransferTest
