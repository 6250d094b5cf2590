#include "SourceListing.h"
#include "TestEnvironment.h"
#include "base/l10n/L10n.h"
#include "fakes/StuckFifo.h"
#include "shell/DesktopModel.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/LauncherFile.h"
#include "shell/freedesktop/Xfconf.h"

#include <QDBusConnectionInterface>
#include <QtTest>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a test waits for a daemon or a reload.
constexpr int signalTimeoutMs = 5000;

QString findXfconfd()
{
    const QStringList libs = QDir("/usr/lib").entryList({"*-linux-gnu*"}, QDir::Dirs) << ".";
    for (const QString &lib : libs) {
        if (const QString path = "/usr/lib/" + lib + "/xfce4/xfconf/xfconfd"; QFileInfo(path).isExecutable())
            return path;
    }
    return QString();
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
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void launcherParsing_data()
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
        row("comments and blanks", launcher("# Name=Commented\n\n  Type = Application \nName=Real\n"), "en",
            true, "Real");
        row("first value wins", launcher("Type=Application\nName=One\nName=Two\n"), "en", true, "One");
        row("no group", "Type=Application\nName=Loose\n", "en", false, "");
        row("no type", launcher("Name=Nameless type\n"), "en", false, "Nameless type");
        row("no name", launcher("Type=Application\nName=\n"), "en", false, "");
    }

    void launcherParsing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, locale);
        const LauncherFile file = LauncherFile::parse(content, locale);
        QTEST(file.valid, "valid");
        QTEST(file.name, "name");
    }

    void listing()
    {
        write("notes.txt", "hello");
        QDir().mkpath(desktopPath("Projects"));
        QVERIFY(QFile::link(desktopPath("Projects"), desktopPath("to-projects")));
        QVERIFY(QFile::link(desktopPath("gone"), desktopPath("dangling.pdf")));
        // Hidden: dot files and the names listed in .hidden.
        write(".dotfile", "x");
        write("listed.txt", "x");
        write(".hidden", "listed.txt\r\n\nmissing\n");
        // A name with a line feed, a very long one and an unreadable file: each is
        // listed, none stops the others (names that are not UTF-8: below).
        write("two\nlines.txt", "x");
        write(QString(250, 'n') + ".md", "x");
        const QString locked = write("locked.desktop", launcher("Type=Application\nName=Locked\n"), true);
        QFile::setPermissions(locked, QFile::ExeOwner);
        // A launcher's name shows only when it is trusted (executable) and a launcher.
        const QByteArray app = launcher("Type=Application\nName=Text Editor\nExec=editor\n");
        write("trusted.desktop", app, true);
        write("untrusted.desktop", app);
        write("text.desktop", "just some text\n", true);
        write("huge.desktop", launcher("Type=Application\nName=Big\n" + QByteArray(400 * 1024, '#')), true);

        const QList<DesktopEntry> entries = list(false);
        QCOMPARE(entries.size(), 3 + 11); // with Home, Computer and Trash
        for (const auto &[name, folder] : {std::pair{"notes.txt", false},
                                           {"Projects", true},
                                           {"to-projects", true},
                                           {"dangling.pdf", false}})
            QCOMPARE(find(entries, desktopPath(name))->isFolder, folder);
        // Unreadable, it cannot be trusted.
        if (::geteuid() != 0)
            QCOMPARE(find(entries, locked)->displayName, "locked.desktop");
        QCOMPARE(find(entries, desktopPath("trusted.desktop"))->displayName, "Text Editor");
        for (const char *name : {"notes.txt", "untrusted.desktop", "text.desktop", "huge.desktop"})
            QCOMPARE(find(entries, desktopPath(name))->displayName, name);

        const QList<DesktopEntry> all = list(true);
        QCOMPARE(all.size(), 3 + 14);
        for (const char *name : {"listed.txt", ".dotfile"})
            QVERIFY(!find(entries, desktopPath(name)) && find(all, desktopPath(name)));

        // A missing desktop folder is an error, but the virtual items still show.
        QList<DesktopEntry> none;
        QVERIFY(!FreedesktopDesktopSource(m_env->home() + "/no/such/Desktop").enumerate(false, none));
        QCOMPARE(none.size(), 3);
    }

    // A folder panel's folder, named by bytes that are not text: its files by
    // the desktop's rules for hidden files, and no virtual items.
    void folderSource()
    {
        const QByteArray folder = QFile::encodeName(m_env->home()) + "/caf\xe9";
        const QString madeAs = m_env->home() + "/cafe"; // then renamed
        for (const char *name : {"/a.txt", "/.dot", "/b.txt"})
            m_env->writeFile(madeAs + name, "x");
        m_env->writeFile(madeAs + "/.hidden", "b.txt\n");
        QVERIFY(::rename(QFile::encodeName(madeAs).constData(), folder.constData()) == 0);
        const std::unique_ptr<FreedesktopDesktopSource> source = FreedesktopDesktopSource::forFolder(folder);
        QCOMPARE(source->folderPath(), folder);
        QList<DesktopEntry> entries;
        QVERIFY(source->enumerate(false, entries));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().handle(), folder + "/a.txt");

        // Gone, it lists nothing and says so.
        QVERIFY(::rename(folder.constData(), QFile::encodeName(madeAs).constData()) == 0);
        entries.clear();
        QVERIFY(!source->enumerate(false, entries) && entries.isEmpty());
    }

    void undecodableNamesStayDistinct()
    {
        const QByteArray folder = QFile::encodeName(m_env->desktop()) + '/';
        // Two names that decode alike, and valid names that look like what they decode to.
        const QList<QByteArray> rawNames = {"report-\xff.txt", "report-\xfe.txt",  "report-\xef\xbf\xbd.txt",
                                            "report-%FF.txt",  "report-%25FF.txt", "::raw:report.txt"};
        // Qt cannot remove names that are not text, so the temporary home would be left behind.
        auto removeRaw = qScopeGuard([&] {
            for (const QByteArray &name : rawNames)
                ::unlink(QByteArray(folder + name).constData());
        });
        for (const QByteArray &name : rawNames)
            QVERIFY(::close(::open(QByteArray(folder + name).constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        DesktopModel model(std::make_unique<FreedesktopDesktopSource>(m_env->desktop()));
        // The file an item names, as its dragged URL tells.
        const auto fileOf = [&model](int row) {
            std::unique_ptr<QMimeData> mime(model.mimeData({model.index(row, 0)}));
            const QList<QUrl> urls = mime->urls();
            return urls.isEmpty()
                       ? QByteArray()
                       : QByteArray::fromPercentEncoding(urls.first().toEncoded(QUrl::FullyEncoded).mid(7));
        };
        QHash<QByteArray, QString> keyOf;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QByteArray file = fileOf(row);
            if (!file.startsWith(folder))
                continue;
            keyOf.insert(file.mid(folder.size()), model.index(row, 0).data(DesktopModel::KeyRole).toString());
            QVERIFY(!model.index(row, 0).data().toString().isEmpty());
        }
        // The dragged URLs name the very files.
        const QList<QByteArray> named = keyOf.keys();
        QCOMPARE(QSet<QByteArray>(named.cbegin(), named.cend()),
                 QSet<QByteArray>(rawNames.cbegin(), rawNames.cend()));
        const QStringList keys = keyOf.values();
        QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), rawNames.size());
        // Valid names keep their path as key, so stored layouts stay valid.
        QCOMPARE(keyOf.value("report-%FF.txt"), m_env->desktop() + "/report-%FF.txt");
        QCOMPARE(keyOf.value("report-\xef\xbf\xbd.txt"), m_env->desktop() + "/report-\uFFFD.txt");

        // The same keys at the next reload.
        model.reload();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (const QByteArray file = fileOf(row); file.startsWith(folder))
                QCOMPARE(model.index(row, 0).data(DesktopModel::KeyRole).toString(),
                         keyOf.value(file.mid(folder.size())));
        }
    }

    void xfconfSettingsFollowed()
    {
        const QString xfconfd = findXfconfd();
        QVERIFY2(!xfconfd.isEmpty(), "xfconfd is needed (scripts/setup.sh installs xfconf)");
        // The daemon inherits the test's home and its own session bus.
        QVERIFY(!m_env->startSessionBus().isEmpty());
        QProcess daemon;
        daemon.start(xfconfd, {});
        auto stop = qScopeGuard([&daemon] {
            ::kill(pid_t(daemon.processId()), SIGCONT);
            daemon.kill();
            daemon.waitForFinished();
        });
        QDBusConnection client = QDBusConnection::sessionBus();
        QTRY_VERIFY_WITH_TIMEOUT(client.interface()->isServiceRegistered("org.xfce.Xfconf").value(),
                                 signalTimeoutMs);
        const QString showTrash = "/desktop-icons/file-icons/show-trash";

        write(".dotfile", "x");
        DesktopModel model(std::make_unique<FreedesktopDesktopSource>(m_env->desktop(), client));
        auto shows = [&model](const QString &key) {
            return !model.match(model.index(0, 0), DesktopModel::KeyRole, key, 1, Qt::MatchExactly).isEmpty();
        };
        const QString trash = FreedesktopDesktopSource::trashParsingName();
        const QString dotfile = desktopPath(".dotfile");
        QVERIFY(shows(trash) && !shows(dotfile));
        QSignalSpy reloaded(&model, &DesktopModel::reloaded);

        // Changes arrive by themselves.
        QVERIFY(Xfconf::setProperty("xfce4-desktop", showTrash, false));
        QVERIFY(reloaded.wait(signalTimeoutMs));
        QVERIFY(!shows(trash));
        QVERIFY(Xfconf::setProperty("thunar", "/last-show-hidden", true));
        QVERIFY(reloaded.wait(signalTimeoutMs));
        QVERIFY(shows(dotfile));
        QCOMPARE(Xfconf::property(client, "thunar", "/last-show-hidden").value_or(QVariant()).toBool(), true);

        // A reload does not ask again: with the daemon frozen nothing changes.
        ::kill(pid_t(daemon.processId()), SIGSTOP);
        model.reload();
        QVERIFY(!shows(trash) && shows(dotfile));
        ::kill(pid_t(daemon.processId()), SIGCONT);

        // An unset property means the default again.
        QVERIFY(Xfconf::resetProperty("xfce4-desktop", showTrash));
        QVERIFY(reloaded.wait(signalTimeoutMs));
        QVERIFY(shows(trash));

        // Without the daemon the defaults hold.
        daemon.kill();
        daemon.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(!shows(dotfile), signalTimeoutMs);
    }

    // The folder read ahead at start-up stands in for the first enumerate only
    // while nothing was added, removed or renamed in it since.
    void earlyListing_data()
    {
        QTest::addColumn<bool>("settled"); // the folder last changed well before the read
        QTest::addColumn<bool>("addAfter");
        QTest::addColumn<bool>("otherFolder");
        QTest::addColumn<bool>("used");
        QTest::newRow("unchanged") << true << false << false << true;
        QTest::newRow("file added since") << true << true << false << false;
        QTest::newRow("changed just before the read") << false << false << false << false;
        QTest::newRow("read of another folder") << true << false << true << false;
    }

    void earlyListing()
    {
        QFETCH(bool, settled);
        QFETCH(bool, addAfter);
        QFETCH(bool, otherFolder);
        QFETCH(bool, used);
        // A link whose target turns from a file into a folder outside the desktop:
        // the desktop folder itself does not change, so only a fresh read sees it.
        const QString target = m_env->home() + "/target";
        QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(target, desktopPath("link")));
        write("notes.txt", "x");
        // An executable launcher and a hidden list that are FIFOs hold no listing up.
        const StuckFifo launcherFifo(desktopPath("pipe.desktop")), hiddenList(desktopPath(".hidden"));
        QVERIFY(launcherFifo.made() && hiddenList.made());
        if (settled) {
            const QByteArray folder = QFile::encodeName(m_env->desktop());
            const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            QVERIFY(::utimensat(AT_FDCWD, folder.constData(), hourAgo, 0) == 0);
        }
        std::future<FolderListing> early =
            DesktopFolderReader::start(otherFolder ? m_env->home() : m_env->desktop());
        QVERIFY(early.valid());
        QCOMPARE(early.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        QVERIFY(QFile::remove(target));
        QVERIFY(QDir().mkpath(target));
        if (addAfter)
            write("later.txt", "x");

        FreedesktopDesktopSource source(m_env->desktop());
        source.useEarlyListing(std::move(early));
        QList<DesktopEntry> entries;
        QVERIFY(source.enumerate(false, entries));
        QVERIFY(find(entries, desktopPath("notes.txt")));
        QCOMPARE(bool(find(entries, desktopPath("later.txt"))), addAfter);
        QVERIFY(find(entries, desktopPath("link")));
        QCOMPARE(find(entries, desktopPath("link"))->isFolder, !used);
        // Used once: the next enumerate reads the folder.
        entries.clear();
        QVERIFY(source.enumerate(false, entries));
        QVERIFY(find(entries, desktopPath("link"))->isFolder);
        QCOMPARE(find(entries, desktopPath("pipe.desktop"))->displayName, "pipe.desktop");
        QVERIFY(!launcherFifo.blockedReader() && !hiddenList.blockedReader());
    }

    void virtualItemNames_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("names"); // Home, Computer, Trash
        QTest::newRow("English") << "en" << QStringList{"Home", "Computer", "Trash"};
        QTest::newRow("German") << "de" << QStringList{"Persönlicher Ordner", "Computer", "Papierkorb"};
        QTest::newRow("Japanese") << "ja" << QStringList{"ホーム", "コンピューター", "ゴミ箱"};
    }

    void virtualItemNames()
    {
        QFETCH(QString, language);
        L10n::changeLanguage(language);
        auto restore = qScopeGuard([] { L10n::changeLanguage("system"); });
        const QList<DesktopEntry> entries = list();
        QStringList shown;
        for (const QString &name :
             {FreedesktopDesktopSource::homeParsingName(), FreedesktopDesktopSource::computerParsingName(),
              FreedesktopDesktopSource::trashParsingName()}) {
            const DesktopEntry *entry = find(entries, name);
            QVERIFY(entry && entry->path.isEmpty() && entry->isFolder);
            shown.append(entry->displayName);
        }
        QTEST(shown, "names");
    }

private:
    QString desktopPath(const QString &name) const { return m_env->desktop() + '/' + name; }
    QString write(const QString &name, const QByteArray &content, bool executable = false) const
    {
        return m_env->writeFile("Desktop/" + name, content, executable);
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

QTEST_MAIN(TestFreedesktopSource)
#include "test_freedesktopsource.moc"
