#include "TestEnvironment.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/LauncherFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const DesktopEntry *find(const QList<DesktopEntry> &entries, const QString &parsingName)
{
    for (const DesktopEntry &entry : entries) {
        if (entry.parsingName == parsingName)
            return &entry;
    }
    return nullptr;
}

QByteArray launcher(const QByteArray &body)
{
    return "[Desktop Entry]\n" + body;
}

} // namespace

class TestFreedesktopSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void launcherParsing_data();
    void launcherParsing();
    void virtualItemsAlwaysListed();
    void filesFoldersAndLinks();
    void hiddenFiles();
    void launcherNames_data();
    void launcherNames();
    void oddNames();
    void missingFolder();

private:
    QString desktopPath(const QString &name) const { return m_env->desktop() + QLatin1Char('/') + name; }
    QString write(const QString &name, const QByteArray &content, bool executable = false) const;
    QList<DesktopEntry> list(bool includeHidden = false) const;

    std::unique_ptr<TestEnvironment> m_env;
};

void TestFreedesktopSource::init()
{
    m_env = std::make_unique<TestEnvironment>();
}

void TestFreedesktopSource::cleanup()
{
    m_env.reset();
}

QString TestFreedesktopSource::write(const QString &name, const QByteArray &content, bool executable) const
{
    const QString path = m_env->writeFile(QStringLiteral("Desktop/") + name, content);
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QList<DesktopEntry> TestFreedesktopSource::list(bool includeHidden) const
{
    FreedesktopDesktopSource source(m_env->desktop());
    QList<DesktopEntry> entries;
    [[maybe_unused]] const bool ok = source.enumerate(includeHidden, entries);
    return entries;
}

void TestFreedesktopSource::launcherParsing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("name");

    const QByteArray names =
        launcher("Type=Application\nName=Files\nName[de]=Dateien\nName[de_AT]=Dateien AT\n"
                 "Name[sr@latin]=Datoteke\nExec=files\n");
    QTest::newRow("plain") << names << QStringLiteral("en_US") << true << QStringLiteral("Files");
    QTest::newRow("language") << names << QStringLiteral("de_DE") << true << QStringLiteral("Dateien");
    QTest::newRow("country wins") << names << QStringLiteral("de_AT") << true << QStringLiteral("Dateien AT");
    QTest::newRow("modifier") << names << QStringLiteral("sr_RS@latin") << true << QStringLiteral("Datoteke");
    QTest::newRow("encoding ignored")
        << names << QStringLiteral("de_DE.UTF-8") << true << QStringLiteral("Dateien");
    QTest::newRow("escapes") << launcher("Type=Link\nName=Two\\sWords\\\\\nURL=https://example.org\n")
                             << QStringLiteral("en") << true << QStringLiteral("Two Words\\");
    QTest::newRow("other groups ignored")
        << QByteArray("[Desktop Action new]\nName=Action\n[Desktop Entry]\nType=Application\nName=Main\n")
        << QStringLiteral("en") << true << QStringLiteral("Main");
    QTest::newRow("comments and blanks") << launcher("# Name=Commented\n\n  Type = Application \nName=Real\n")
                                         << QStringLiteral("en") << true << QStringLiteral("Real");
    QTest::newRow("no group") << QByteArray("Type=Application\nName=Loose\n") << QStringLiteral("en") << false
                              << QStringLiteral("");
    QTest::newRow("no type") << launcher("Name=Nameless type\n") << QStringLiteral("en") << false
                             << QStringLiteral("Nameless type");
    QTest::newRow("no name") << launcher("Type=Application\nName=\n") << QStringLiteral("en") << false
                             << QStringLiteral("");
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x01\x00\x00",
                                          9)
                            << QStringLiteral("en") << false << QString();
    QTest::newRow("first value wins") << launcher("Type=Application\nName=One\nName=Two\n")
                                      << QStringLiteral("en") << true << QStringLiteral("One");
}

void TestFreedesktopSource::launcherParsing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, locale);
    QFETCH(bool, valid);
    QFETCH(QString, name);
    const LauncherFile file = LauncherFile::parse(content, locale);
    QCOMPARE(file.valid, valid);
    QCOMPARE(file.name, name);
}

void TestFreedesktopSource::virtualItemsAlwaysListed()
{
    const QList<DesktopEntry> entries = list();
    for (const QString &name :
         {FreedesktopDesktopSource::homeParsingName(), FreedesktopDesktopSource::computerParsingName(),
          FreedesktopDesktopSource::trashParsingName()}) {
        const DesktopEntry *entry = find(entries, name);
        QVERIFY2(entry, qPrintable(name));
        QVERIFY(entry->path.isEmpty());
        QVERIFY(entry->isFolder);
        QVERIFY(!entry->displayName.isEmpty());
        QCOMPARE(entry->pidl, name.toUtf8());
        QVERIFY(name.startsWith(QLatin1String("::{")) && name.endsWith(QLatin1Char('}')));
    }
    QCOMPARE(entries.size(), 3);
    // Without a running Xfce desktop nothing is hidden.
    QVERIFY(FreedesktopDesktopSource(m_env->desktop()).hiddenVirtualItems().isEmpty());
}

void TestFreedesktopSource::filesFoldersAndLinks()
{
    write(QStringLiteral("notes.txt"), "hello");
    QDir().mkpath(desktopPath(QStringLiteral("Projects")));
    QVERIFY(QFile::link(desktopPath(QStringLiteral("Projects")), desktopPath(QStringLiteral("to-projects"))));
    QVERIFY(QFile::link(desktopPath(QStringLiteral("gone")), desktopPath(QStringLiteral("dangling.pdf"))));

    const QList<DesktopEntry> entries = list();
    QCOMPARE(entries.size(), 3 + 4);
    const DesktopEntry *notes = find(entries, desktopPath(QStringLiteral("notes.txt")));
    QVERIFY(notes);
    QCOMPARE(notes->path, desktopPath(QStringLiteral("notes.txt")));
    QCOMPARE(notes->displayName, QStringLiteral("notes.txt"));
    QCOMPARE(notes->pidl, QFile::encodeName(notes->path));
    QVERIFY(!notes->isFolder);
    QVERIFY(find(entries, desktopPath(QStringLiteral("Projects")))->isFolder);
    QVERIFY(find(entries, desktopPath(QStringLiteral("to-projects")))->isFolder);
    QVERIFY(!find(entries, desktopPath(QStringLiteral("dangling.pdf")))->isFolder);
}

void TestFreedesktopSource::hiddenFiles()
{
    write(QStringLiteral(".dotfile"), "x");
    write(QStringLiteral("listed.txt"), "x");
    write(QStringLiteral("visible.txt"), "x");
    write(QStringLiteral(".hidden"), "listed.txt\r\n\nmissing\n");

    QList<DesktopEntry> entries = list(false);
    QVERIFY(find(entries, desktopPath(QStringLiteral("visible.txt"))));
    QVERIFY(!find(entries, desktopPath(QStringLiteral("listed.txt"))));
    QVERIFY(!find(entries, desktopPath(QStringLiteral(".dotfile"))));
    QVERIFY(!find(entries, desktopPath(QStringLiteral(".hidden"))));

    entries = list(true);
    QVERIFY(find(entries, desktopPath(QStringLiteral("listed.txt"))));
    QVERIFY(find(entries, desktopPath(QStringLiteral(".dotfile"))));
}

void TestFreedesktopSource::launcherNames_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("shown");
    const QByteArray app = launcher("Type=Application\nName=Text Editor\nExec=editor\n");
    QTest::newRow("trusted") << app << true << QStringLiteral("Text Editor");
    QTest::newRow("untrusted shows file name") << app << false << QStringLiteral("editor.desktop");
    QTest::newRow("not a launcher") << QByteArray("just some text\n") << true
                                    << QStringLiteral("editor.desktop");
    QTest::newRow("empty") << QByteArray() << true << QStringLiteral("editor.desktop");
    QTest::newRow("huge") << launcher("Type=Application\nName=Big\n" + QByteArray(400 * 1024, '#')) << true
                          << QStringLiteral("editor.desktop");
}

void TestFreedesktopSource::launcherNames()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, executable);
    QFETCH(QString, shown);
    const QString path = write(QStringLiteral("editor.desktop"), content, executable);
    const QList<DesktopEntry> entries = list();
    const DesktopEntry *entry = find(entries, path);
    QVERIFY(entry);
    QCOMPARE(entry->displayName, shown);
    QVERIFY(!entry->isFolder);
}

void TestFreedesktopSource::oddNames()
{
    // A name that is not valid UTF-8, one with a line feed, a very long one and
    // an unreadable file: each is listed, none stops the others.
    const QByteArray folder = QFile::encodeName(m_env->desktop());
    const QByteArray rawName = folder + "/caf\xe9.txt";
    const int fd = ::open(rawName.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    write(QStringLiteral("two\nlines.txt"), "x");
    const QString longName = QString(250, QLatin1Char('n')) + QStringLiteral(".md");
    write(longName, "x");
    const QString locked =
        write(QStringLiteral("locked.desktop"), launcher("Type=Application\nName=Locked\n"), true);
    QFile::setPermissions(locked, QFile::ExeOwner);

    const QList<DesktopEntry> entries = list();
    QCOMPARE(entries.size(), 3 + 4);
    bool sawRaw = false;
    for (const DesktopEntry &entry : entries) {
        if (entry.pidl == rawName) {
            sawRaw = true;
            QVERIFY(!entry.displayName.isEmpty());
            QVERIFY(!entry.path.isEmpty());
        }
    }
    QVERIFY(sawRaw);
    QVERIFY(find(entries, desktopPath(QStringLiteral("two\nlines.txt"))));
    QVERIFY(find(entries, desktopPath(longName)));
    const DesktopEntry *lockedEntry = find(entries, locked);
    QVERIFY(lockedEntry);
    if (::geteuid() != 0)
        QCOMPARE(lockedEntry->displayName, QStringLiteral("locked.desktop"));
}

void TestFreedesktopSource::missingFolder()
{
    FreedesktopDesktopSource source(m_env->home() + QLatin1String("/no/such/Desktop"));
    QList<DesktopEntry> entries;
    QVERIFY(!source.enumerate(false, entries));
    QCOMPARE(entries.size(), 3); // the virtual items still show
}

QTEST_GUILESS_MAIN(TestFreedesktopSource)
#include "test_freedesktopsource.moc"
