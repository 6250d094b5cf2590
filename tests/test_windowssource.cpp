#include "SourceListing.h"
#include "shell/windows/ShellContextMenu.h"
#include "shell/windows/ShellIds.h"
#include "shell/windows/WindowsDesktopSource.h"
#include "shell/windows/WindowsDesktopWatcher.h"
#include "shell/windows/WindowsIconSource.h"

#include <QtTest>

#include <shlobj.h>

namespace {

constexpr int signalTimeoutMs = 5000;
const wchar_t hideIconsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";
const QString thisPc = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const QString recycleBin = "{645FF040-5081-101B-9F08-00AA002F954E}";
const QString controlPanel = "{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}";
const QString controlPanelItem = "{26EE0668-A00A-44D7-9371-BEB064C98683}";

QString pathOf(const QByteArray &handle)
{
    const ShellIds::Pidl pidl = ShellIds::fromHandle(handle);
    wchar_t path[MAX_PATH] = {};
    return pidl && SHGetPathFromIDListW(pidl.get(), path) ? QString::fromWCharArray(path) : QString();
}

bool writeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// Where the shell reads the desktop folders from.
struct ShellFolder
{
    HKEY root;
    const wchar_t *value;
    const KNOWNFOLDERID *id;
};
const wchar_t userShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const ShellFolder shellFolders[] = {{HKEY_CURRENT_USER, L"Desktop", &FOLDERID_Desktop},
                                    {HKEY_LOCAL_MACHINE, L"Common Desktop", &FOLDERID_PublicDesktop}};

QString readShellFolder(const ShellFolder &folder)
{
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    if (RegGetValueW(folder.root, userShellFolders, folder.value,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, path,
                     &size) != ERROR_SUCCESS)
        return {};
    return QString::fromWCharArray(path);
}

// An empty path takes the value away.
bool writeShellFolder(const ShellFolder &folder, const QString &path)
{
    if (path.isEmpty())
        return RegDeleteKeyValueW(folder.root, userShellFolders, folder.value) == ERROR_SUCCESS;
    return RegSetKeyValueW(folder.root, userShellFolders, folder.value, REG_EXPAND_SZ, path.utf16(),
                           DWORD((path.size() + 1) * 2)) == ERROR_SUCCESS;
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Makes name in folder, a folder when it ends in "/", with the hidden attribute when asked.
void make(const QString &folder, const QString &name, bool hidden)
{
    const QString path = folder + '/' + name;
    if (name.endsWith('/'))
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(writeFile(path));
    if (hidden)
        QVERIFY(SetFileAttributesW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                   FILE_ATTRIBUTE_HIDDEN));
}

} // namespace

class TestWindowsSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The desktop folders are the test's own: nothing is written to a real desktop.
    void initTestCase()
    {
        m_com = std::make_unique<ShellIds::ComScope>();
        for (const ShellFolder &folder : shellFolders) {
            const QString path =
                QDir::toNativeSeparators(m_folders.path() + '/' + QString::fromWCharArray(folder.value));
            QVERIFY(QDir().mkpath(path));
            m_savedFolders.append(readShellFolder(folder));
            QVERIFY(writeShellFolder(folder, path));
            QCOMPARE(ShellIds::knownFolder(*folder.id), path);
        }
    }
    void cleanupTestCase()
    {
        for (qsizetype i = 0; i < m_savedFolders.size(); ++i)
            writeShellFolder(shellFolders[i], m_savedFolders.at(i));
        m_com.reset();
    }
    void cleanup() { RegDeleteTreeW(HKEY_CURRENT_USER, hideIconsKey); }

    // One entry in a folder panel's folder, listed with and without hidden files.
    void folder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("file") << "Report.PDF" << false;
        QTest::newRow("folder") << "Sub/" << false;
        QTest::newRow("not ASCII") << QString::fromUtf8("na\xc3\xafve \xe5\x90\x8d.txt") << false;
        QTest::newRow("hidden") << "secret.txt" << true;
    }

    void folder()
    {
        QFETCH(QString, name);
        QFETCH(bool, hidden);
        QTemporaryDir dir;
        make(dir.path(), name, hidden);
        WindowsDesktopSource source(QFile::encodeName(dir.path()));
        QCOMPARE(source.folderPath(), QFile::encodeName(dir.path()));
        const QString path = QDir::toNativeSeparators(dir.path() + '/' + name.chopped(name.endsWith('/')));
        for (const bool includeHidden : {false, true}) {
            QList<DesktopEntry> entries;
            QVERIFY(source.enumerate(includeHidden, entries));
            QCOMPARE(entries.size(), qsizetype(includeHidden || !hidden));
            if (entries.isEmpty())
                continue;
            const DesktopEntry &entry = entries.first();
            QCOMPARE(entry.parsingName, path);
            QCOMPARE(entry.path, path);
            QCOMPARE(entry.isFolder, name.endsWith('/'));
            QVERIFY(!entry.displayName.isEmpty());
            // The handle names the item for the icon worker and the actions, as
            // a path's bytes do; anything else names nothing.
            QCOMPARE(pathOf(entry.handle()), path);
            // Paths become bytes in the code page of the process: a name it cannot
            // spell never reaches the shell.
            if (QFile::decodeName(QFile::encodeName(path)) == path)
                QCOMPARE(pathOf(QFile::encodeName(path)), path);
            QVERIFY(!ShellIds::fromHandle(QByteArray("\x05\x00\x01", 3)));
        }
    }

    // The user's and the public desktop folders are listed as one, each file
    // keyed by its own path, next to the shell's virtual items.
    void desktop()
    {
        const QString mine = ShellIds::knownFolder(FOLDERID_Desktop) + "\\larkspan-user.txt";
        const QString shared = ShellIds::knownFolder(FOLDERID_PublicDesktop) + "\\larkspan-public.txt";
        QVERIFY(writeFile(mine) && writeFile(shared));
        WindowsDesktopSource source;
        QCOMPARE(source.folderPath(), QFile::encodeName(ShellIds::knownFolder(FOLDERID_Desktop)));
        QList<DesktopEntry> entries;
        QVERIFY(source.enumerate(false, entries));
        QVERIFY(find(entries, mine));
        QCOMPARE(find(entries, mine)->path, mine);
        QSet<QString> keys;
        for (const DesktopEntry &entry : std::as_const(entries)) {
            QVERIFY2(!keys.contains(entry.parsingName), qPrintable(entry.parsingName));
            keys.insert(entry.parsingName);
            if (entry.parsingName.startsWith("::"))
                QVERIFY2(QRegularExpression("^::\\{[0-9A-F-]{36}\\}$").match(entry.parsingName).hasMatch(),
                         qPrintable(entry.parsingName));
        }
        QVERIFY(!source.genericIcon(true, 32, 1.0).isNull());
        if (underWine())
            QEXPECT_FAIL("", "Wine's desktop lists the user's desktop folder alone", Continue);
        QVERIFY(find(entries, shared));
    }

    // Explorer's switches for its own desktop items, and its defaults where
    // the registry names none of them.
    void hiddenVirtualItems_data()
    {
        QTest::addColumn<QStringList>("values"); // "{CLSID}=n" as DWORD, "{CLSID}:text" as a string
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("defaults") << QStringList() << QStringList{thisPc, controlPanel, controlPanelItem}
                                  << QStringList{recycleBin};
        QTest::newRow("switched") << QStringList{thisPc + "=0", recycleBin + "=1", controlPanel + "=0"}
                                  << QStringList{recycleBin}
                                  << QStringList{thisPc, controlPanel, controlPanelItem};
        QTest::newRow("lower case and strings") << QStringList{recycleBin.toLower() + "=1", thisPc + ":0"}
                                                << QStringList{recycleBin, thisPc} << QStringList();
    }

    void hiddenVirtualItems()
    {
        QFETCH(QStringList, values);
        QFETCH(QStringList, hidden);
        QFETCH(QStringList, shown);
        for (const QString &value : values) {
            const QString name = value.section(QRegularExpression("[=:]"), 0, 0);
            const QString text = value.section(QRegularExpression("[=:]"), 1);
            const DWORD number = text.toUInt();
            const bool isText = value.contains(':');
            QCOMPARE(RegSetKeyValueW(HKEY_CURRENT_USER, hideIconsKey,
                                     reinterpret_cast<const wchar_t *>(name.utf16()),
                                     isText ? REG_SZ : REG_DWORD,
                                     isText ? static_cast<const void *>(text.utf16()) : &number,
                                     isText ? DWORD((text.size() + 1) * 2) : DWORD(sizeof(number))),
                     ERROR_SUCCESS);
        }
        const QSet<QString> set = WindowsDesktopSource().hiddenVirtualItems();
        for (const QString &clsid : hidden + shown)
            QVERIFY2(set.contains(clsid) == hidden.contains(clsid), qPrintable(clsid));
        // A folder panel shows no virtual items, so hides none.
        QVERIFY(WindowsDesktopSource("C:/").hiddenVirtualItems().isEmpty());
    }

    // What changes the desktop is reported: a file written by any program, and
    // the notice a program sends the shell.
    void watcher_data()
    {
        QTest::addColumn<int>("notice"); // what the shell is told, by its SHCNE_ value; 0: nothing
        QTest::newRow("file written") << 0;
        QTest::newRow("folder updated") << int(SHCNE_UPDATEDIR);
        QTest::newRow("associations changed") << int(SHCNE_ASSOCCHANGED);
    }

    void watcher()
    {
        QFETCH(int, notice);
        const QString file = ShellIds::knownFolder(FOLDERID_Desktop) + "\\watched.txt";
        if (notice)
            QVERIFY(writeFile(file));
        WindowsDesktopWatcher watcher({});
        QVERIFY(watcher.isWatching());
        QSignalSpy changed(&watcher, &DesktopWatcher::changed);
        if (notice == SHCNE_ASSOCCHANGED)
            SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSH, nullptr, nullptr);
        else if (notice)
            SHChangeNotify(notice, SHCNF_PATHW | SHCNF_FLUSH, ShellIds::knownFolder(FOLDERID_Desktop).utf16(),
                           nullptr);
        else
            QVERIFY(writeFile(file));
        // A flushed notice is delivered before the call returns.
        QVERIFY(!changed.isEmpty() || changed.wait(signalTimeoutMs));
        QVERIFY(QFile::remove(file));
    }

    // Items that show the same icon share one image of the asked size.
    void icons()
    {
        QTemporaryDir dir;
        make(dir.path(), "a/", false);
        make(dir.path(), "b/", false);
        QList<DesktopEntry> entries;
        QVERIFY(WindowsDesktopSource(QFile::encodeName(dir.path())).enumerate(false, entries));
        QCOMPARE(entries.size(), 2);
        WindowsIconSource icons;
        icons.begin();
        const QImage first = icons.image(entries.at(0).handle(), 40);
        const QImage second = icons.image(entries.at(1).handle(), 40);
        icons.finish();
        QCOMPARE(first.size(), QSize(40, 40));
        QCOMPARE(first.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(second.cacheKey(), first.cacheKey());
        QVERIFY(icons.image(QByteArray(), 40).isNull());
    }

    // The shell's menu for items of one folder, closed unchosen: nothing runs
    // and the caller shows no menu of its own.
    void contextMenu_data()
    {
        QTest::addColumn<QStringList>("items"); // paths under the test's folder
        QTest::addColumn<bool>("shown");
        QTest::newRow("one file") << QStringList{"a/x.txt"} << true;
        QTest::newRow("a file and a folder") << QStringList{"a/x.txt", "a/b"} << true;
        QTest::newRow("two folders' items") << QStringList{"a/x.txt", "a/b/y.txt"} << false;
        QTest::newRow("none") << QStringList() << false;
    }

    void contextMenu()
    {
        QFETCH(QStringList, items);
        QFETCH(bool, shown);
        QTemporaryDir dir;
        for (const char *name : {"a/b/", "a/x.txt", "a/b/y.txt"})
            make(dir.path(), name, false);
        QList<QByteArray> handles;
        for (const QString &item : items)
            handles.append(ShellIds::bytesOf(ShellIds::fromPath(dir.path() + '/' + item).get()));
        const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
        QVERIFY(owner);
        // Escape, as the user would press it, once the menu is open.
        bool ended = false;
        QObject timerScope;
        QTimer::singleShot(500, &timerScope, [&ended] { ended = EndMenu(); });
        QCOMPARE(ShellContextMenu::show(owner, handles), shown);
        DestroyWindow(owner);
        QCOMPARE(ended, shown);
    }

private:
    std::unique_ptr<ShellIds::ComScope> m_com;
    QTemporaryDir m_folders;
    QStringList m_savedFolders;
};

QTEST_MAIN(TestWindowsSource)
#include "test_windowssource.moc"
