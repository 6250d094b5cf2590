#include "TestEnvironment.h"
#include "categories/CategoryRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

class TestCategoryRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void builtinRules_data();
    void builtinRules();
    void ids_data();
    void ids();
    void titles();
    void suffixMatchesFileInfo_data();
    void suffixMatchesFileInfo();
    void templateWrittenWhenMissing();
    void userRules_data();
    void userRules();
    void rulesFollowEdits();
    void unusableFiles_data();
    void unusableFiles();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestCategoryRules::init()
{
    m_env = std::make_unique<TestEnvironment>();
    loadCategoryRules();
}

void TestCategoryRules::cleanup()
{
    m_env.reset();
}

void TestCategoryRules::builtinRules_data()
{
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("category");
    QTest::newRow("virtual item") << true << QStringLiteral("::{645FF040-5081-101B-9F08-00AA002F954E}")
                                  << int(SystemCategory);
    QTest::newRow("virtual with suffix") << false << QStringLiteral("::{X}.png") << int(SystemCategory);
    QTest::newRow("not virtual: case") << false << QStringLiteral(":{x}") << int(OtherCategory);
    QTest::newRow("setup exe") << false << QStringLiteral("/d/Setup.EXE") << int(AppsCategory);
    QTest::newRow("launcher") << false << QStringLiteral("/d/firefox.desktop") << int(AppsCategory);
    QTest::newRow("no suffix") << false << QStringLiteral("/d/notes") << int(OtherCategory);
    QTest::newRow("folder") << true << QStringLiteral("/d/Projects") << int(FoldersCategory);
    QTest::newRow("folder with code suffix") << true << QStringLiteral("/d/site.html") << int(CodeCategory);
    QTest::newRow("zip browsed as folder") << true << QStringLiteral("/d/a.zip") << int(ArchivesCategory);
    QTest::newRow("last suffix wins")
        << false << QStringLiteral("/d/archive.tar.gz") << int(ArchivesCategory);
    QTest::newRow("pdf upper case") << false << QStringLiteral("/d/Report.PDF") << int(DocumentsCategory);
    QTest::newRow("unknown suffix") << false << QStringLiteral("/d/x.qqq") << int(OtherCategory);
    QTest::newRow("dot in folder name only")
        << false << QStringLiteral("/d/v1.2/readme") << int(OtherCategory);
    QTest::newRow("trailing dot") << false << QStringLiteral("/d/odd.") << int(OtherCategory);
    QTest::newRow("image") << false << QStringLiteral("/d/p.JpEg") << int(ImagesCategory);
    QTest::newRow("audio") << false << QStringLiteral("/d/s.flac") << int(AudioCategory);
    QTest::newRow("video") << false << QStringLiteral("/d/m.webm") << int(VideoCategory);
    QTest::newRow("code") << false << QStringLiteral("/d/x.ps1") << int(CodeCategory);
}

void TestCategoryRules::builtinRules()
{
    QFETCH(bool, isFolder);
    QFETCH(QString, name);
    QFETCH(int, category);
    QCOMPARE(categorize(isFolder, name), category);
}

void TestCategoryRules::ids_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("category");
    QTest::addColumn<bool>("ok");
    QTest::newRow("system") << QStringLiteral("system") << 0 << true;
    QTest::newRow("other with blanks") << QStringLiteral("  Other ") << 9 << true;
    QTest::newRow("upper case") << QStringLiteral("DOCUMENTS") << 3 << true;
    QTest::newRow("custom panel") << QStringLiteral("custom-1") << 9 << false;
    QTest::newRow("empty") << QString() << 9 << false;
    QTest::newRow("title is not id") << QStringLiteral("Apps & Shortcuts") << 9 << false;
}

void TestCategoryRules::ids()
{
    QFETCH(QString, text);
    QFETCH(int, category);
    QFETCH(bool, ok);
    bool actualOk = !ok;
    QCOMPARE(categoryFromId(text, &actualOk), category);
    QCOMPARE(actualOk, ok);
    QCOMPARE(categoryFromId(text), category);
}

void TestCategoryRules::titles()
{
    const QStringList expectedIds{"system", "folders", "apps",     "documents", "images",
                                  "audio",  "video",   "archives", "code",      "other"};
    QCOMPARE(allCategories().size(), 10);
    for (int category : allCategories()) {
        QCOMPARE(categoryId(category), expectedIds.at(category));
        bool ok = false;
        QCOMPARE(categoryFromId(categoryId(category), &ok), category);
        QVERIFY(ok);
    }
    QCOMPARE(categoryId(-1), QStringLiteral("other"));
    QCOMPARE(categoryId(10), QStringLiteral("other"));
    QCOMPARE(categoryTitle(2), QStringLiteral("Apps & Shortcuts"));
    QCOMPARE(categoryTitle(42), QStringLiteral("Other"));
}

void TestCategoryRules::suffixMatchesFileInfo_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : {"/a/b.txt", "/a/b.TAR.GZ", "/a/.bashrc", "/a/b.", "/a.b/c", "plain", "/a/b..c",
                             "x.y/z.w", "/a/b c.d e", "::{CLSID}"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestCategoryRules::suffixMatchesFileInfo()
{
    QFETCH(QString, path);
    QCOMPARE(fileSuffix(path), QFileInfo(path).suffix().toLower());
}

void TestCategoryRules::templateWrittenWhenMissing()
{
    const QString path = categoriesFilePath();
    QCOMPARE(QFileInfo(path).absolutePath(), m_env->appConfigDir());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    file.close();
    QCOMPARE(content, categoriesTemplate());
    QVERIFY(content.startsWith("; Larkspan - which panel a file lands in.\n"));
    QVERIFY(content.endsWith(";         archives, code, other\n"));
    QCOMPARE(content.count('\n'), 13);

    // The template is all comments: nothing changes.
    QCOMPARE(categorize(false, QStringLiteral("/d/x.psd")), int(ImagesCategory));
    QCOMPARE(categorize(false, QStringLiteral("/d/x.jar")), int(OtherCategory));

    // Deleted, it comes back byte for byte at the next load.
    QVERIFY(QFile::remove(path));
    loadCategoryRules();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), categoriesTemplate());
}

void TestCategoryRules::userRules_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("category");
    const QByteArray images = "[ Images ]\nextensions=.PSD, xcf\n";
    QTest::newRow("section any case, dots removed")
        << images << QStringLiteral("/d/a.psd") << int(ImagesCategory);
    QTest::newRow("new extension") << images << QStringLiteral("/d/a.XCF") << int(ImagesCategory);
    const QByteArray moved = "[code]\nextensions=psd\n";
    QTest::newRow("overrides builtin") << moved << QStringLiteral("/d/a.psd") << int(CodeCategory);
    QTest::newRow("single value") << QByteArray("[apps]\nextensions=jar\n") << QStringLiteral("/d/x.jar")
                                  << int(AppsCategory);
    QTest::newRow("unknown section ignored")
        << QByteArray("[music]\nextensions=mp3\n") << QStringLiteral("/d/a.mp3") << int(AudioCategory);
    QTest::newRow("later section wins") << QByteArray("[audio]\nextensions=xyz\n[video]\nextensions=xyz\n")
                                        << QStringLiteral("/d/a.xyz") << int(VideoCategory);
    QTest::newRow("empty entries") << QByteArray("[code]\nextensions=, ., ,\n") << QStringLiteral("/d/a.txt")
                                   << int(DocumentsCategory);
    QTest::newRow("custom ids are not categories")
        << QByteArray("[custom-1]\nextensions=txt\n") << QStringLiteral("/d/a.txt") << int(DocumentsCategory);
    QTest::newRow("folder follows user rule")
        << QByteArray("[archives]\nextensions=d\n") << QStringLiteral("/d/stuff.d") << int(ArchivesCategory);
    QTest::newRow("virtual items stay system")
        << QByteArray("[code]\nextensions=}\n") << QStringLiteral("::{CLSID}") << int(SystemCategory);
    QTest::newRow("garbage") << QByteArray("\x00\xff[[[==\n\n]]]\x01", 14) << QStringLiteral("/d/a.psd")
                             << int(ImagesCategory);
}

void TestCategoryRules::userRules()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, name);
    QFETCH(int, category);
    QFile file(categoriesFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(ini);
    file.close();
    loadCategoryRules();
    QCOMPARE(categorize(name.endsWith(QLatin1String(".d")), name), category);
    // The user's file is read, never rewritten.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), ini);
}

void TestCategoryRules::rulesFollowEdits()
{
    QFile file(categoriesFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[video]\nextensions=txt\n");
    file.close();
    loadCategoryRules();
    QCOMPARE(categorize(false, QStringLiteral("/d/a.txt")), int(VideoCategory));

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("; nothing\n");
    file.close();
    loadCategoryRules();
    QCOMPARE(categorize(false, QStringLiteral("/d/a.txt")), int(DocumentsCategory));
}

void TestCategoryRules::unusableFiles_data()
{
    QTest::addColumn<bool>("directory");
    QTest::newRow("path is a directory") << true;
    QTest::newRow("dangling link") << false;
}

void TestCategoryRules::unusableFiles()
{
    QFETCH(bool, directory);
    const QString path = categoriesFilePath();
    QFile::remove(path);
    if (directory)
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(QFile::link(m_env->home() + QLatin1String("/nowhere/file.ini"), path));
    loadCategoryRules();
    QCOMPARE(categorize(false, QStringLiteral("/d/a.psd")), int(ImagesCategory));
    QCOMPARE(categorize(true, QStringLiteral("/d/folder")), int(FoldersCategory));
    if (directory)
        QVERIFY(QFileInfo(path).isDir());
}

QTEST_GUILESS_MAIN(TestCategoryRules)
#include "test_categoryrules.moc"
