#include "TransferTest.h"
#include "shell/windows/WindowsFileTransfer.h"

#include <QtTest>

#include <windows.h>

using Mode = FileTransfer::Mode;

namespace {

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

// "r.txt^" is read-only.
const TransferTest::Platform platform{
    qint64(1) << 30, 0,
    [](const QString &path, const QString &) {
        return SetFileAttributesW(wide(QDir::toNativeSeparators(path)), FILE_ATTRIBUTE_READONLY) != 0;
    },
    [](const QString &path) -> quint64 {
        HANDLE file = CreateFileW(wide(QDir::toNativeSeparators(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        const bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return read ? (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
    },
    QDir::toNativeSeparators};

} // namespace

class TestWindowsTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transfer_data()
    {
        const QStringList docs{"Docs/f.txt", "Docs/in/g.txt"};
        const QStringList docsCopied{"Docs/", "Docs/f.txt=Docs/f.txt", "Docs/in/",
                                     "Docs/in/g.txt=Docs/in/g.txt"};
        TransferTest::addCommonRows(docs, docsCopied);
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
    }

    void transfer()
    {
        QFETCH(QString, target);
        QTemporaryDir home;
        // Wine's drive Z: is the Unix root, another volume than the prefix's C:.
        QTemporaryDir other("Z:/tmp/larkspan-transfer-XXXXXX");
        if (target == "other" && (!other.isValid() || volumeOf(other.path()) == volumeOf(home.path())))
            QSKIP("no second volume");
        TransferTest::run<WindowsFileTransfer>(platform, home.path(), other.path());
    }
};

QTEST_GUILESS_MAIN(TestWindowsTransfer)
#include "test_windowstransfer.moc"
