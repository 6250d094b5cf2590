#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "fakes/FakeIconSource.h"
#include "fakes/StuckFifo.h"
#include "shell/DesktopModel.h"
#include "shell/IconImage.h"
#include "shell/IconLoader.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/FreedesktopIconSource.h"
#include "shell/freedesktop/IconTheme.h"

#include <QPainter>
#include <QtTest>

namespace {

// Every icon of the test theme is one flat colour, so an answer tells which file was chosen.
const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), yellow(255, 255, 0), white(255, 255, 255),
    grey(128, 128, 128), orange(255, 128, 0), pink(255, 128, 192), cyan(0, 255, 255), magenta(255, 0, 255),
    picture(10, 160, 60); // the desktop's pictures

// A flat picture, or a transparent canvas with only `painted` filled.
void writeImage(const QString &path, QSize size, const QColor &colour, const QRect &painted = QRect())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_ARGB32);
    image.fill(painted.isNull() ? colour : QColor(Qt::transparent));
    QPainter(&image).fillRect(painted, colour);
    QVERIFY(image.save(path));
}

QByteArray themeIndex(const QStringList &directories, const QByteArray &inherits = "")
{
    QByteArray index = "[Icon Theme]\nName=Test\nInherits=" + inherits +
                       "\nDirectories=" + directories.join(',').toUtf8() + ",\n";
    for (const QString &dir : directories) {
        index += "\n[" + dir.toUtf8() + "]\n";
        index += dir.startsWith("scalable")
                     ? QByteArray("Size=48\nMinSize=16\nMaxSize=512\nType=Scalable\n")
                     : QByteArray("Size=" + dir.section('x', 0, 0).toUtf8() + "\nType=Fixed\n");
    }
    return index;
}

bool sameColour(const QColor &a, const QColor &b)
{
    // JPEG thumbnails are lossy.
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 &&
           qAbs(a.blue() - b.blue()) < 24 && a.alpha() == 255;
}

} // namespace

class TestIconLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_icons = m_env->home() + "/icons/";
        m_searchPaths = {m_env->home() + "/icons", m_env->home() + "/pixmaps"};

        // hicolor comes after every inherited theme; a theme nobody inherits is never asked.
        m_env->writeFile(m_icons + "testtheme/index.theme",
                         themeIndex({"32x32/mimetypes", "48x48/mimetypes", "256x256/mimetypes",
                                     "48x48/places", "scalable/apps"},
                                    "parenttheme"));
        for (const char *theme : {"parenttheme", "hicolor", "othertheme"})
            m_env->writeFile(m_icons + theme + "/index.theme", themeIndex({"48x48/places"}));
        const struct
        {
            const char *path;
            int edge;
            QColor colour;
        } icons[] = {{"testtheme/32x32/mimetypes/text-x-generic", 32, red},
                     {"testtheme/48x48/mimetypes/text-x-generic", 48, green},
                     {"testtheme/256x256/mimetypes/text-x-generic", 256, blue},
                     {"testtheme/48x48/mimetypes/application-x-desktop", 48, orange},
                     {"testtheme/48x48/mimetypes/image-x-generic", 48, pink},
                     {"testtheme/48x48/places/folder", 48, yellow},
                     {"parenttheme/48x48/places/user-trash", 48, grey},
                     {"hicolor/48x48/places/user-home", 48, white},
                     {"hicolor/48x48/places/user-trash", 48, red},
                     {"othertheme/48x48/places/computer", 48, red},
                     {"../pixmaps/legacy-app", 48, green}};
        for (const auto &icon : icons)
            writeImage(m_icons + icon.path + ".png", {icon.edge, icon.edge}, icon.colour);
        m_env->writeFile(m_icons + "testtheme/scalable/apps/vector-app.svg",
                         "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                         "<rect width='16' height='16' fill='#ff00ff'/></svg>");
        writeImage(m_env->home() + "/corner.png", {256, 256}, cyan, QRect(0, 0, 48, 48));
        // Folder listings are kept as hashes of the names: what a listing would not
        // show is never found, and a hash shared by two names finds only the file
        // that is there ("2awvaea52v" and "-ywa1qpu27" share theirs).
        const QString places = m_icons + "testtheme/48x48/places/";
        const QString hicolorPlaces = m_icons + "hicolor/48x48/places/";
        for (const char *path :
             {"testtheme/48x48/mimetypes/both.png", "testtheme/48x48/places/caf\u00e9-app.png",
              "testtheme/48x48/places/2awvaea52v.png", "hicolor/48x48/places/-ywa1qpu27.png",
              "hicolor/48x48/places/dir-icon.png", "hicolor/48x48/places/dangling.png"})
            writeImage(m_icons + QString::fromUtf8(path), {48, 48}, green);
        m_env->writeFile(m_icons + "testtheme/48x48/mimetypes/both.svg",
                         "<svg xmlns='http://www.w3.org/2000/svg'/>");
        QVERIFY(QDir().mkpath(places + "dir-icon.png"));
        QVERIFY(QFile::link(hicolorPlaces + "user-home.png", places + "linked.png"));
        QVERIFY(QFile::link(places + "nowhere.png", places + "dangling.png"));

        const QString desktop = m_env->desktop() + '/';
        const QByteArray launcher = "[Desktop Entry]\nType=Application\nName=App\nExec=true\nIcon=";
        m_env->writeFile(desktop + "named.desktop", launcher + "vector-app\n", true);
        m_env->writeFile(desktop + "extension.desktop", launcher + "vector-app.svg\n", true);
        m_env->writeFile(desktop + "absolute.desktop", launcher + m_env->home().toUtf8() + "/corner.png\n",
                         true);
        m_env->writeFile(desktop + "fifo-icon.desktop",
                         launcher + m_env->home().toUtf8() + "/icon-fifo.png\n", true);
        m_env->writeFile(desktop + "untrusted.desktop", launcher + "vector-app\n");
        m_env->writeFile(desktop + "missing.desktop", launcher + "nothing-here\n", true);
        m_env->writeFile(desktop + "notes.txt", "hello");
        m_env->writeFile(desktop + "data.bin", "\x01\x02");
        QDir().mkpath(desktop + "Projects");
        writeImage(desktop + "wide.png", {200, 100}, picture);
        writeImage(desktop + "tall.jpg", {100, 200}, picture);
        writeImage(desktop + "tiny.png", {8, 8}, picture);
        // A palette picture with a transparent entry, shrunk when shown: grey lies
        // between the steps of Qt's web palette, so any dithering shows.
        QImage indexed(100, 100, QImage::Format_Indexed8);
        indexed.setColorTable({grey.rgb(), qRgba(0, 0, 0, 0)});
        indexed.fill(0);
        QVERIFY(indexed.save(desktop + "palette.png"));
        // Past the limits: a valid picture of 50,010,000 pixels (small on disk and in
        // memory), and a valid small one made 50 MB long by a hole.
        QImage huge(10000, 5001, QImage::Format_Mono);
        huge.fill(0);
        QVERIFY(huge.save(desktop + "huge.png"));
        writeImage(desktop + "big.png", {64, 64}, picture);
        QVERIFY(QFile::resize(desktop + "big.png", FreedesktopIconSource::maxThumbnailBytes + 1));
        QVERIFY(QFile(desktop + "empty.svg").open(QIODevice::WriteOnly));
    }

    void themeLookup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("px");
        QTest::addColumn<QString>("expected"); // relative to the icons folder

        QTest::newRow("scalable in range") << "vector-app" << 100 << "testtheme/scalable/apps/vector-app.svg";
        QTest::newRow("inherited before hicolor")
            << "user-trash" << 48 << "parenttheme/48x48/places/user-trash.png";
        QTest::newRow("hicolor last") << "user-home" << 48 << "hicolor/48x48/places/user-home.png";
        QTest::newRow("unthemed") << "legacy-app" << 48 << "../pixmaps/legacy-app.png";
        QTest::newRow("theme not inherited") << "computer" << 48 << "";
        QTest::newRow("no folders in names") << "../testtheme/48x48/places/folder" << 48 << "";
        QTest::newRow("png before svg") << "both" << 48 << "testtheme/48x48/mimetypes/both.png";
        QTest::newRow("beginning of a name") << "fold" << 48 << "";
        QTest::newRow("not ASCII") << "caf\u00e9-app" << 48 << "testtheme/48x48/places/caf\u00e9-app.png";
        QTest::newRow("another name's hash") << "-ywa1qpu27" << 48 << "hicolor/48x48/places/-ywa1qpu27.png";
        QTest::newRow("folder named as an icon") << "dir-icon" << 48 << "hicolor/48x48/places/dir-icon.png";
        QTest::newRow("link to an icon") << "linked" << 48 << "testtheme/48x48/places/linked.png";
        QTest::newRow("broken link") << "dangling" << 48 << "hicolor/48x48/places/dangling.png";
    }

    void themeLookup()
    {
        QFETCH(QString, name);
        QFETCH(int, px);
        const QString found = IconTheme("testtheme", m_searchPaths).findIcon(name, px);
        QTEST(found.isEmpty() ? QString() : QDir(m_icons).relativeFilePath(found), "expected");
    }

    void cornerCrop_data()
    {
        QTest::addColumn<QRect>("painted");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("small icon in the corner") << QRect(0, 0, 48, 48) << QSize(48, 48);
        QTest::newRow("tall icon in the corner") << QRect(0, 0, 20, 100) << QSize(100, 100);
        QTest::newRow("reaches the lower right quarter") << QRect(100, 100, 40, 40) << QSize(256, 256);
        QTest::newRow("empty canvas") << QRect() << QSize(256, 256);
    }

    void cornerCrop()
    {
        QFETCH(QRect, painted);
        QImage canvas(256, 256, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter(&canvas).fillRect(painted, Qt::black);
        QTEST(IconImage::cropCornerIcon(canvas).size(), "expected");
    }

    void itemIcons_data()
    {
        QTest::addColumn<QString>("item"); // on the desktop, or a virtual item's parsing name
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("px");
        QTest::addColumn<QColor>("centre");
        QTest::addColumn<bool>("letterboxed");
        auto row = [](const char *tag, const QString &item, const QColor &centre, bool letterboxed = false,
                      int size = 48, double ratio = 1.0, int px = 48) {
            QTest::newRow(tag) << item << size << ratio << px << centre << letterboxed;
        };
        // Which size of the type icon is used: an exact one, else the nearest larger, else the largest.
        row("20 at 1.0: smallest there is", "notes.txt", red, false, 20, 1.0, 20);
        row("32 at 1.0", "notes.txt", red, false, 32, 1.0, 32);
        row("33 at 1.0", "notes.txt", green, false, 33, 1.0, 33);
        row("48 at 1.5", "notes.txt", blue, false, 48, 1.5, 72);
        row("45 at 1.1", "notes.txt", blue, false, 45, 1.1, 49);
        row("150 at 2.0: largest there is", "notes.txt", blue, false, 150, 2.0, 300);

        row("folder", "Projects", yellow);
        row("home", FreedesktopDesktopSource::homeParsingName(), white);
        row("trash", FreedesktopDesktopSource::trashParsingName(), grey);
        row("computer falls back", FreedesktopDesktopSource::computerParsingName(), yellow);
        row("launcher named icon", "named.desktop", magenta);
        row("launcher named with extension", "extension.desktop", magenta);
        row("launcher absolute icon, cropped", "absolute.desktop", cyan);
        row("untrusted launcher: type icon", "untrusted.desktop", orange);
        row("launcher icon missing: type icon", "missing.desktop", orange);
        row("png thumbnail", "wide.png", picture, true);
        row("jpeg thumbnail", "tall.jpg", picture, true);
        row("small picture not enlarged", "tiny.png", picture, true);
        row("palette picture at 1.0", "palette.png", grey);
        row("palette picture at 1.5", "palette.png", grey, false, 48, 1.5, 72);
        row("over 50 megapixels", "huge.png", pink);
        row("over 50 MB", "big.png", pink);
        row("empty picture", "empty.svg", pink);
        row("no icon for the type", "data.bin", QColor());
        row("no handle, answered at once", "", QColor());
    }

    void itemIcons()
    {
        QFETCH(QString, item);
        QFETCH(int, size);
        QFETCH(double, ratio);
        QFETCH(int, px);
        QFETCH(QColor, centre);
        QFETCH(bool, letterboxed);
        const QByteArray pidl = item.isEmpty() || item.startsWith("::")
                                    ? item.toUtf8()
                                    : QFile::encodeName(m_env->desktop() + '/' + item);
        const QImage image = loadFor(pidl, size, ratio);
        QCOMPARE(image.isNull(), !centre.isValid());
        if (image.isNull())
            return;
        QCOMPARE(image.size(), QSize(px, px));
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        QVERIFY2(sameColour(image.pixelColor(px / 2, px / 2), centre),
                 qPrintable(image.pixelColor(px / 2, px / 2).name()));
        QCOMPARE(image.pixelColor(1, 1).alpha() == 0, letterboxed);
        QCOMPARE(image.pixelColor(px - 2, px - 2).alpha() == 0, letterboxed);
    }

    // A picture changed in place is read again at once, even at the same size; pictures
    // that went or changed leave the cache at the next sweep; the others stay.
    void picturesInTheCache()
    {
        FreedesktopIconSource source("testtheme", m_searchPaths);
        const int batch = FreedesktopIconSource::minSweepInterval;
        const auto picture = [this](int i) -> QString {
            return m_env->desktop() + QString("/p%1.png").arg(i);
        };
        for (int i = 0; i < 2 * batch; ++i) {
            if (i == batch) {
                for (int gone = 0; gone < batch / 2; ++gone)
                    QFile::remove(picture(gone));
                writeImage(picture(batch - 1), {16, 16}, blue);
                writeImage(picture(batch - 2), {8, 8}, blue);
                QCOMPARE(source.image(QFile::encodeName(picture(batch - 2)), 48).pixelColor(24, 24), blue);
            }
            writeImage(picture(i), {8, 8}, red);
            QVERIFY(!source.image(QFile::encodeName(picture(i)), 48).isNull());
        }
        QCOMPARE(source.cachedThumbnails(), 2 * batch - batch / 2 - 1);
    }

    void absurdThemeNumbers_data()
    {
        // Two folders, the first with numbers far past any icon; the colour tells which one won.
        QTest::addColumn<QByteArray>("absurd"); // the first folder's keys
        QTest::addColumn<QColor>("chosen");
        QTest::newRow("threshold covers every size")
            << QByteArray("Size=48\nType=Threshold\nThreshold=2147483647\n") << blue;
        QTest::newRow("huge size at scale 2, larger wins over smaller")
            << QByteArray("Size=2000000000\nScale=2\nType=Fixed\n") << blue;
        QTest::newRow("huge scalable range")
            << QByteArray("Size=48\nMinSize=-2147483648\nMaxSize=2147483647\n"
                          "Scale=2147483647\nType=Scalable\n")
            << blue;
        QTest::newRow("sizes past 64-bit") << QByteArray("Size=99999999999999999999\nType=Fixed\n") << red;
        QTest::newRow("negative size ignored") << QByteArray("Size=-2147483648\nType=Fixed\n") << red;
    }

    void absurdThemeNumbers()
    {
        QFETCH(QByteArray, absurd);
        const QString root = m_env->home() + "/absurd-" + QTest::currentDataTag() + '/';
        m_env->writeFile(root + "absurd/index.theme",
                         "[Icon Theme]\nName=Absurd\nDirectories=absurd,16x16\n\n[absurd]\n" + absurd +
                             "\n[16x16]\nSize=16\nType=Fixed\n");
        writeImage(root + "absurd/16x16/thing.png", {16, 16}, red);
        writeImage(root + "absurd/absurd/thing.png", {48, 48}, blue);
        QTEST(IconTheme("absurd", {root}).icon("thing", 32).pixelColor(16, 16), "chosen");
    }

    void fifosNeverBlock()
    {
        const QString desktop = m_env->desktop() + '/';
        const StuckFifo iconFile(m_env->home() + "/icon-fifo.png"); // fifo-icon.desktop's icon
        const StuckFifo picture(desktop + "pipe.png");
        QDir().mkpath(m_icons + "fifotheme");
        const StuckFifo themeIndexFile(m_icons + "fifotheme/index.theme");
        QDir().mkpath(m_env->home() + "/.config/gtk-3.0");
        const StuckFifo gtkSettings(m_env->home() + "/.config/gtk-3.0/settings.ini");
        const StuckFifo *fifos[] = {&iconFile, &picture, &themeIndexFile, &gtkSettings};
        for (const StuckFifo *fifo : fifos)
            QVERIFY(fifo->made());

        // A trusted launcher naming a FIFO as its icon shows the launcher type's icon.
        QVERIFY(sameColour(
            loadFor(QFile::encodeName(desktop + "fifo-icon.desktop"), 48, 1.0).pixelColor(24, 24), orange));
        loadFor(QFile::encodeName(desktop + "pipe.png"), 48, 1.0);
        IconTheme fifoTheme("fifotheme", m_searchPaths);
        QVERIFY(sameColour(fifoTheme.icon("user-home", 48).pixelColor(24, 24), white)); // from hicolor
        QVERIFY(!IconTheme::userThemeName().isEmpty());
        for (const StuckFifo *fifo : fifos)
            QVERIFY(!fifo->blockedReader());
    }

    void leavingDoesNotWaitForStuckWorker()
    {
        auto desktop = std::make_shared<FakeDesktopSource::State>();
        for (const char *name : {"/d/a", "/d/b", "/d/c"})
            desktop->entries.append(FakeDesktopSource::file(name));
        auto stuck = std::make_shared<FakeIconSource::State>();
        stuck->gated = true;
        auto model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(desktop),
                                                    std::make_unique<FakeIconSource>(stuck), nullptr);
        // Requests leave at the next turn of the event loop.
        QTRY_VERIFY_WITH_TIMEOUT(stuck->entered.available() > 0, 5000);
        model.reset(); // must come back while the worker is still stuck
        stuck->gate.release();
        // The worker ends after the request at hand; the queued ones are dropped.
        QTRY_VERIFY(stuck->destroyed);
        QVERIFY(!stuck->gateTimedOut);
        QCOMPARE(stuck->asked.size(), 1);
    }

private:
    QImage loadFor(const QByteArray &pidl, int size, double ratio)
    {
        IconLoader loader(std::make_unique<FreedesktopIconSource>("testtheme", m_searchPaths));
        QSignalSpy loaded(&loader, &IconLoader::loaded);
        loader.load(7, 3, pidl, size, ratio);
        // Answers come at once and carry the request's generation and row.
        const QVariantList answer = loaded.value(0);
        if (loaded.count() != 1 || answer.value(0).toULongLong() != 7 || answer.value(1).toInt() != 3)
            QTest::qFail("no answer to the request, or a mislabelled one", __FILE__, __LINE__);
        return answer.value(2).value<QImage>();
    }

    std::unique_ptr<TestEnvironment> m_env;
    QString m_icons;
    QStringList m_searchPaths;
};

QTEST_MAIN(TestIconLoader)
#include "test_iconloader.moc"
