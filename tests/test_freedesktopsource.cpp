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
    void listing();
    void launcherNames_data();
    void launcherNames();

private:
    QString desktopPath(const QString &name) const { return m_env->desktop() + '/' + name; }
    QString write(const QString &name, const QByteArray &content, bool executable = false) const
    {
        const QString path = m_env->writeFile("Desktop/" + name, content);
        if (executable)
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
        return path;
    }
    QList<DesktopEntry> list(bool includeHidden = false) const
    {
        QList<DesktopEntry> entries;
        [[maybe_unused]] const bool ok =
            FreedesktopDesktopSource(m_env->desktop()).enumerate(includeHidden, entries);
        return entries;
    }

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

void TestFreedesktopSource::launcherParsing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("name");
    auto row = [](const char *tag, const QByteArray &content, const char *locale, bool valid,
                  const char *name) {
        QTest::newRow(tag) << content << QString(locale) << valid << QString(name);
    };
    const QByteArray names =
        launcher("Type=Application\nName=Files\nName[de]=Dateien\nName[de_AT]=Dateien AT\n"
                 "Name[sr@latin]=Datoteke\nExec=files\n");
    row("no translation", names, "en_US", true, "Files");
    row("language, encoding ignored", names, "de_DE.UTF-8", true, "Dateien");
    row("country wins", names, "de_AT", true, "Dateien AT");
    row("modifier", names, "sr_RS@latin", true, "Datoteke");
    row("escapes", launcher("Type=Link\nName=Two\\sWords\\\\\nURL=https://example.org\n"), "en", true,
        "Two Words\\");
    row("other groups ignored",
        "[Desktop Action new]\nName=Action\n[Desktop Entry]\nType=Application\nName=Main\n", "en", true,
        "Main");
    row("comments and blanks", launcher("# Name=Commented\n\n  Type = Application \nName=Real\n"), "en", true,
        "Real");
    row("first value wins", launcher("Type=Application\nName=One\nName=Two\n"), "en", true, "One");
    row("no group", "Type=Application\nName=Loose\n", "en", false, "");
    row("no type", launcher("Name=Nameless type\n"), "en", false, "Nameless type");
    row("no name", launcher("Type=Application\nName=\n"), "en", false, "");
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

void TestFreedesktopSource::listing()
{
    write("notes.txt", "hello");
    QDir().mkpath(desktopPath("Projects"));
    QVERIFY(QFile::link(desktopPath("Projects"), desktopPath("to-projects")));
    QVERIFY(QFile::link(desktopPath("gone"), desktopPath("dangling.pdf")));
    // Hidden: dot files and the names listed in .hidden.
    write(".dotfile", "x");
    write("listed.txt", "x");
    write(".hidden", "listed.txt\r\n\nmissing\n");
    // A name that is not valid UTF-8, one with a line feed, a very long one and an
    // unreadable file: each is listed, none stops the others.
    const QByteArray rawName = QFile::encodeName(m_env->desktop()) + "/caf\xe9.txt";
    const int fd = ::open(rawName.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    write("two\nlines.txt", "x");
    const QString longName = QString(250, 'n') + ".md";
    write(longName, "x");
    const QString locked = write("locked.desktop", launcher("Type=Application\nName=Locked\n"), true);
    QFile::setPermissions(locked, QFile::ExeOwner);

    QList<DesktopEntry> entries = list(false);
    QCOMPARE(entries.size(), 3 + 8);
    for (const QString &name :
         {FreedesktopDesktopSource::homeParsingName(), FreedesktopDesktopSource::computerParsingName(),
          FreedesktopDesktopSource::trashParsingName()}) {
        const DesktopEntry *entry = find(entries, name);
        QVERIFY2(entry, qPrintable(name));
        QVERIFY(entry->path.isEmpty() && entry->isFolder && !entry->displayName.isEmpty());
        QCOMPARE(entry->pidl, name.toUtf8());
    }
    const DesktopEntry *notes = find(entries, desktopPath("notes.txt"));
    QVERIFY(notes);
    QCOMPARE(notes->path, desktopPath("notes.txt"));
    QCOMPARE(notes->displayName, "notes.txt");
    QCOMPARE(notes->pidl, QFile::encodeName(notes->path));
    QVERIFY(!notes->isFolder);
    QVERIFY(find(entries, desktopPath("Projects"))->isFolder);
    QVERIFY(find(entries, desktopPath("to-projects"))->isFolder);
    QVERIFY(!find(entries, desktopPath("dangling.pdf"))->isFolder);
    QVERIFY(!find(entries, desktopPath("listed.txt")));
    QVERIFY(!find(entries, desktopPath(".dotfile")));
    const auto raw =
        std::find_if(entries.cbegin(), entries.cend(), [&](const auto &e) { return e.pidl == rawName; });
    QVERIFY(raw != entries.cend());
    QVERIFY(!raw->displayName.isEmpty() && !raw->path.isEmpty());
    QVERIFY(find(entries, desktopPath("two\nlines.txt")));
    QVERIFY(find(entries, desktopPath(longName)));
    QVERIFY(find(entries, locked));
    if (::geteuid() != 0)
        QCOMPARE(find(entries, locked)->displayName, "locked.desktop");

    entries = list(true);
    QCOMPARE(entries.size(), 3 + 11);
    QVERIFY(find(entries, desktopPath("listed.txt")));
    QVERIFY(find(entries, desktopPath(".dotfile")));

    // A missing desktop folder is an error, but the virtual items still show.
    QList<DesktopEntry> none;
    QVERIFY(!FreedesktopDesktopSource(m_env->home() + "/no/such/Desktop").enumerate(false, none));
    QCOMPARE(none.size(), 3);
}

void TestFreedesktopSource::launcherNames_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("shown");
    const QByteArray app = launcher("Type=Application\nName=Text Editor\nExec=editor\n");
    QTest::newRow("trusted") << app << true << "Text Editor";
    QTest::newRow("untrusted shows file name") << app << false << "editor.desktop";
    QTest::newRow("not a launcher") << QByteArray("just some text\n") << true << "editor.desktop";
    QTest::newRow("huge") << launcher("Type=Application\nName=Big\n" + QByteArray(400 * 1024, '#')) << true
                          << "editor.desktop";
}

void TestFreedesktopSource::launcherNames()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, executable);
    QFETCH(QString, shown);
    const QString path = write("editor.desktop", content, executable);
    const QList<DesktopEntry> entries = list();
    const DesktopEntry *entry = find(entries, path);
    QVERIFY(entry);
    QCOMPARE(entry->displayName, shown);
    QVERIFY(!entry->isFolder);
}

QTEST_GUILESS_MAIN(TestFreedesktopSource)
#include "test_freedesktopsource.moc"
