#include "TestEnvironment.h"
#include "base/SafeFile.h"
#include "base/StartupHold.h"
#include "categories/CategoryRules.h"
#include "fakes/StuckFifo.h"

#include <QtTest>

class TestCategoryRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        loadCategoryRules();
    }

    void ids_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("category"); // -1: not an id, read as Other
        // Ids name settings and ini sections, so they must never change.
        const QStringList ids{"system", "folders", "apps",     "documents", "images",
                              "audio",  "video",   "archives", "code",      "other"};
        for (int category : allCategories())
            QTest::newRow(qPrintable(ids.at(category))) << ids.at(category) << category;
        QTest::newRow("blanks and case") << "  DOCUMENTS " << int(DocumentsCategory);
        QTest::newRow("custom panel") << "custom-1" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("title is not id") << "Apps & Shortcuts" << -1;
    }

    void ids()
    {
        QFETCH(QString, text);
        QFETCH(int, category);
        bool ok = category < 0;
        QCOMPARE(categoryFromId(text, &ok), category < 0 ? int(OtherCategory) : category);
        QCOMPARE(ok, category >= 0);
        if (category >= 0)
            QCOMPARE(categoryId(category), text.trimmed().toLower());
        // A number no category has (from a damaged layout, say) names the catch-all one.
        for (int outside : {-1, int(categoryCount)})
            QCOMPARE(categoryId(outside), categoryId(OtherCategory));
    }

    void rules_data()
    {
        QTest::addColumn<QByteArray>("ini"); // the user's rules; empty: the built-in ones alone
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("category");
        auto row = [](const char *tag, const QByteArray &ini, const char *name, int category,
                      bool isFolder = false) {
            QTest::newRow(tag) << ini << isFolder << QString(name) << category;
        };
        row("virtual item", "", "::{645FF040-5081-101B-9F08-00AA002F954E}", SystemCategory, true);
        row("virtual with suffix", "", "::{X}.png", SystemCategory);
        row("not virtual: case", "", ":{x}", OtherCategory);
        row("setup exe, any case", "", "/d/Setup.EXE", AppsCategory);
        row("launcher", "", "/d/firefox.desktop", AppsCategory);
        row("no suffix", "", "/d/notes", OtherCategory);
        row("folder", "", "/d/Projects", FoldersCategory, true);
        row("folder with code suffix", "", "/d/site.html", CodeCategory, true);
        row("last suffix wins", "", "/d/archive.tar.gz", ArchivesCategory);
        row("dot in folder name only", "", "/d/v1.2/readme", OtherCategory);
        row("trailing dot", "", "/d/odd.", OtherCategory);

        const QByteArray images = "[ Images ]\nextensions=.PSD, .xcf\n";
        row("section any case", images, "/d/a.psd", ImagesCategory);
        row("new extension, dots removed", images, "/d/a.XCF", ImagesCategory);
        row("overrides builtin", "[code]\nextensions=psd\n", "/d/a.psd", CodeCategory);
        row("unknown section ignored", "[music]\nextensions=mp3\n", "/d/a.mp3", AudioCategory);
        row("later section wins", "[audio]\nextensions=xyz\n[video]\nextensions=xyz\n", "/d/a.xyz",
            VideoCategory);
        row("empty entries", "[code]\nextensions=, ., ,\n", "/d/a.txt", DocumentsCategory);
        row("folder follows user rule", "[archives]\nextensions=d\n", "/d/stuff.d", ArchivesCategory, true);
        row("virtual items stay system", "[code]\nextensions=}\n", "::{CLSID}", SystemCategory);
        row("garbage", QByteArray("\x00\xff[[[==\n\n]]]\x01", 14), "/d/a.psd", ImagesCategory);
    }

    void rules()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, isFolder);
        QFETCH(QString, name);
        // Rules of an earlier load never linger.
        const QByteArray earlier = "[video]\nextensions=psd, xcf, mp3, xyz, txt, d, gz, exe\n";
        for (const QByteArray &rules : {earlier, ini}) {
            QVERIFY(!m_env->writeFile(categoriesFilePath(), rules).isEmpty());
            loadCategoryRules();
        }
        QTEST(categorize(isFolder, name), "category");
        QCOMPARE(onDisk(), ini); // the user's file is read, never rewritten
    }

    // Whatever stands at the rules file's path, the program starts with the
    // built-in rules; only a missing file is given the template (all comments,
    // so nothing changes), and anything else there is left as it is.
    void fileAtPath_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // a warning; empty: none
        const QString notRegular = "categories.ini: it is not a regular file";
        QTest::newRow("missing") << "missing" << QString();
        QTest::newRow("folder is a file") << "blocked" << QString("^Cannot write the category rules");
        QTest::newRow("path is a directory") << "directory" << notRegular;
        // A link to nowhere is left alone rather than given the template.
        QTest::newRow("dangling link") << "link" << QString();
        QTest::newRow("FIFO with no writer") << "fifo" << notRegular;
        // A start writes the template once its windows are on screen; what the
        // user saved there meanwhile is theirs.
        QTest::newRow("missing at start") << "held" << QString();
        QTest::newRow("written during the start") << "written" << QString();
    }

    void fileAtPath()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = categoriesFilePath();
        QCOMPARE(QFileInfo(path).absolutePath(), m_env->appConfigDir());
        QCOMPARE(onDisk(), categoriesTemplate()); // init's load found none
        QVERIFY(QFile::remove(path));
        std::unique_ptr<StuckFifo> fifo;
        if (kind == "fifo" && !StuckFifo::available)
            QSKIP("no FIFOs on this platform");
        if (kind == "link" && !TestEnvironment::makesSymbolicLinks())
            QSKIP("no symbolic links on this platform");
        if (kind == "blocked")
            QVERIFY(QDir(m_env->appConfigDir()).removeRecursively() &&
                    QFile(m_env->appConfigDir()).open(QIODevice::WriteOnly));
        else if (kind == "directory")
            QVERIFY(QDir().mkpath(path));
        else if (kind == "link")
            QVERIFY(QFile::link(m_env->home() + "/nowhere/file.ini", path));
        else if (kind == "fifo")
            QVERIFY((fifo = std::make_unique<StuckFifo>(path))->made());
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(message));
        auto hold = kind == "held" || kind == "written" ? std::make_unique<StartupHold>() : nullptr;
        loadCategoryRules();
        QVERIFY(!QFileInfo::exists(path) || !hold);
        if (kind == "written")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        hold.reset();
        QCOMPARE(categorize(false, "/d/a.psd"), int(ImagesCategory));
        QCOMPARE(categorize(false, "/d/a.jar"), int(OtherCategory));
        QCOMPARE(categorize(true, "/d/folder"), int(FoldersCategory));
        QCOMPARE(onDisk(), kind == "missing" || kind == "held" ? categoriesTemplate() : QByteArray());
        QVERIFY(QFileInfo(path).isDir() == (kind == "directory") &&
                QFileInfo(path).isSymLink() == (kind == "link"));
        QVERIFY(!fifo || !fifo->blockedReader()); // neither the load nor a careful read waited
    }

private:
    static QByteArray onDisk() { return SafeFile::read(categoriesFilePath(), SafeFile::textCap).data; }

    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestCategoryRules)
#include "test_categoryrules.moc"
