#include "TransferTest.h"
#include "shell/freedesktop/FreedesktopFileTransfer.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using Mode = FileTransfer::Mode;

namespace {

dev_t deviceOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}

// "a/l@b.txt" is a link to b.txt, "a/p|" a FIFO; "big#" is sparse.
const TransferTest::Platform platform{
    qint64(8) << 30, 1,
    [](const QString &path, const QString &spec) {
        const QByteArray local = QFile::encodeName(path);
        return spec.contains('@')
                   ? ::symlink(spec.section('@', 1).toUtf8().constData(), local.constData()) == 0
                   : ::mkfifo(local.constData(), 0600) == 0;
    },
    [](const QString &path) -> quint64 {
        struct stat info;
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    },
    QDir::toNativeSeparators};

} // namespace

class TestFileTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void transfer_data()
    {
        // A copy keeps the folder's link a link.
        const QStringList docs{"Docs/f.txt", "Docs/l@f.txt", "Docs/in/g.txt"};
        const QStringList docsCopied{"Docs/", "Docs/f.txt=Docs/f.txt", "Docs/in/",
                                     "Docs/in/g.txt=Docs/in/g.txt", "Docs/l@f.txt"};
        TransferTest::addCommonRows(docs, docsCopied);
        QTest::newRow("clash takes (2)")
            << QStringList{"a.txt", "b.txt"} << QStringList{"a.txt", "b.txt"} << QStringList{"a.txt"} << "to"
            << Mode::Automatic << false << QStringList{"a (2).txt=a.txt", "a.txt=old", "b.txt=b.txt"}
            << QStringList{"a (2).txt", "b.txt"} << true << 0;
        QTest::newRow("special file fails a move across")
            << QStringList{"Docs/f.txt", "Docs/p|"} << QStringList{"Docs"} << QStringList() << "other"
            << Mode::Move << false << QStringList() << QStringList{""} << false << 1;
    }

    void transfer()
    {
        QFETCH(QString, target);
        QTemporaryDir other("/dev/shm/larkspan-transfer-XXXXXX");
        if (target == "other" && (!other.isValid() || deviceOf(other.path()) == deviceOf(m_env->home())))
            QSKIP("no second file system at /dev/shm");
        TransferTest::run<FreedesktopFileTransfer>(platform, m_env->home(), other.path());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestFileTransfer)
#include "test_filetransfer.moc"
