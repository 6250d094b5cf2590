#include "TestEnvironment.h"
#include "categories/CategoryRules.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString recycleBin = "{645FF040-5081-101B-9F08-00AA002F954E}";

QStringList names(const DesktopModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, 0).data().toString());
    return result;
}

void deliverIcon(DesktopModel *model, quint64 generation, int row, const QImage &image)
{
    QMetaObject::invokeMethod(model, "iconLoaded", Q_ARG(quint64, generation), Q_ARG(int, row),
                              Q_ARG(QImage, image));
}

QImage redImage()
{
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    return red;
}

} // namespace

Q_DECLARE_METATYPE(DesktopEntry)

class TestDesktopModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void itemFields_data();
    void itemFields();
    void naturalFolderFirstOrder();
    void mimeData_data();
    void mimeData();
    void hiddenItems();
    void panelIdsFollowLayoutStore();
    void iconRequests();
    void staleAndNullIconsIgnored();
    void iconBurstsSpreadOverTurns();
    void reloadRereadsSourceAndRules();

private:
    DesktopModel *makeModel();

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestDesktopModel::init()
{
    m_env = std::make_unique<TestEnvironment>();
    PanelLayoutStore::discardState();
    m_desktop = std::make_shared<FakeDesktopSource::State>();
}

void TestDesktopModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    PanelLayoutStore::discardState();
    m_env.reset();
}

DesktopModel *TestDesktopModel::makeModel()
{
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop),
                                             std::make_unique<ItemPlacement>());
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    return m_model.get();
}

void TestDesktopModel::itemFields_data()
{
    QTest::addColumn<DesktopEntry>("entry");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<bool>("folder");
    auto row = [](const char *tag, const DesktopEntry &entry, const QString &name, const QString &key,
                  const QString &suffix, int category, const QString &panel, bool folder) {
        QTest::newRow(tag) << entry << name << key << suffix << category << panel << folder;
    };
    using F = FakeDesktopSource;
    row("report pdf", F::file("/d/Report.PDF"), "Report.PDF", "/d/Report.PDF", "pdf", DocumentsCategory,
        "documents", false);
    row("recycle bin", F::virtualItem(recycleBin, "Trash"), "Trash", "::" + recycleBin, "", SystemCategory,
        "system", true);
    row("folder with suffix has none", F::folder("/d/site.html"), "site.html", "/d/site.html", "",
        CodeCategory, "code", true);
    row("no display name uses parsing name", DesktopEntry{"/d/x", "/d/x", QString(), "/d/x", false}, "/d/x",
        "/d/x", "", OtherCategory, "other", false);
    row("line break shown on one line", F::file("/d/two\nlines.txt"), "two lines.txt", "/d/two\nlines.txt",
        "txt", DocumentsCategory, "documents", false);
    row("launcher", F::file("/d/app.desktop", "App"), "App", "/d/app.desktop", "desktop", AppsCategory,
        "apps", false);
}

void TestDesktopModel::itemFields()
{
    QFETCH(DesktopEntry, entry);
    QFETCH(QString, key);
    QFETCH(int, category);
    m_desktop->entries = {entry};
    DesktopModel *model = makeModel();
    QCOMPARE(model->rowCount(), 1);
    const QModelIndex index = model->index(0, 0);
    QTEST(index.data(Qt::DisplayRole).toString(), "name");
    QCOMPARE(index.data(DesktopModel::KeyRole).toString(), key);
    QTEST(index.data(DesktopModel::SuffixRole).toString(), "suffix");
    QCOMPARE(index.data(DesktopModel::CategoryRole).toInt(), category);
    QTEST(index.data(DesktopModel::PanelRole).toString(), "panel");
    QTEST(index.data(DesktopModel::FolderRole).toBool(), "folder");
    QCOMPARE(model->itemPath(index), entry.path);
    QCOMPARE(model->itemKeys({index}), QStringList{key});
    QCOMPARE(model->itemPidls({index}), QList<QByteArray>{entry.pidl});
}

void TestDesktopModel::naturalFolderFirstOrder()
{
    using F = FakeDesktopSource;
    m_desktop->entries = {F::file("/d/alpha"),
                          F::file("/d/File 10"),
                          F::folder("/d/zeta"),
                          F::file("/d/file 2"),
                          F::virtualItem(recycleBin, "Trash"),
                          F::file("/d/Beta"),
                          F::folder("/d/Archive 1")};
    DesktopModel *model = makeModel();
    QCOMPARE(names(*model),
             (QStringList{"Archive 1", "Trash", "zeta", "alpha", "Beta", "file 2", "File 10"}));
    QCOMPARE(model->presentCategories(), (QList<int>{SystemCategory, FoldersCategory, OtherCategory}));
}

void TestDesktopModel::mimeData_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QByteArray>("payload");
    // Rows: 0 = Trash (folder), 1 = "a b.txt", 2 = "new\nline"
    const QUrl ab = QUrl::fromLocalFile("/d/a b.txt");
    QTest::newRow("file and virtual item")
        << QList<int>{1, 0} << QList<QUrl>{ab} << QByteArray("/d/a b.txt\n::" + recycleBin.toUtf8());
    QTest::newRow("invalid rows left out")
        << QList<int>{-1, 1, 9} << QList<QUrl>{ab} << QByteArray("/d/a b.txt");
    // A key holding a line feed cannot travel in the line-separated payload.
    QTest::newRow("key with line feed")
        << QList<int>{2, 1} << QList<QUrl>{QUrl::fromLocalFile("/d/new\nline"), ab}
        << QByteArray("/d/a b.txt");
}

void TestDesktopModel::mimeData()
{
    QFETCH(QList<int>, rows);
    m_desktop->entries = {FakeDesktopSource::file("/d/a b.txt"),
                          FakeDesktopSource::virtualItem(recycleBin, "Trash"),
                          FakeDesktopSource::file("/d/new\nline", "new line")};
    DesktopModel *model = makeModel();
    QCOMPARE(names(*model), (QStringList{"Trash", "a b.txt", "new line"}));
    QModelIndexList indexes;
    for (int row : rows)
        indexes.append(model->index(row, 0));
    std::unique_ptr<QMimeData> mime(model->mimeData(indexes));
    QVERIFY(mime);
    QTEST(mime->urls(), "urls");
    QTEST(mime->data(DesktopModel::itemMimeType()), "payload");
    QVERIFY(!model->mimeData({}));
}

void TestDesktopModel::hiddenItems()
{
    m_desktop->entries = {FakeDesktopSource::virtualItem(recycleBin, "Trash"),
                          FakeDesktopSource::file("/d/shown")};
    m_desktop->hiddenEntries = {FakeDesktopSource::file("/d/.secret")};
    DesktopModel *model = makeModel();
    QCOMPARE(names(*model), (QStringList{"Trash", "shown"}));

    // Hidden by the desktop's own setting: the name is matched upper-cased.
    m_desktop->hiddenVirtual = {recycleBin.toUpper()};
    m_desktop->entries[0].parsingName = m_desktop->entries[0].parsingName.toLower();
    m_desktop->showHidden = true;
    model->reload();
    QCOMPARE(names(*model), (QStringList{".secret", "shown"}));
}

void TestDesktopModel::panelIdsFollowLayoutStore()
{
    const QString custom = PanelLayoutStore::createPanel("Work");
    PanelLayoutStore::assignItems({"/d/assigned.txt"}, custom);
    PanelLayoutStore::assignItems({"/d/stale.txt"}, "custom-42");
    PanelLayoutStore::setDesktopPosition("/d/loose.txt", QPoint(5, 5));
    m_desktop->entries = {FakeDesktopSource::file("/d/assigned.txt"), FakeDesktopSource::file("/d/stale.txt"),
                          FakeDesktopSource::file("/d/loose.txt")};
    DesktopModel *model = makeModel();
    auto panels = [model] {
        QStringList result;
        for (int row = 0; row < model->rowCount(); ++row)
            result.append(model->index(row, 0).data(DesktopModel::PanelRole).toString());
        return result;
    };
    QCOMPARE(names(*model), (QStringList{"assigned.txt", "loose.txt", "stale.txt"}));
    QCOMPARE(panels(), (QStringList{custom, "@desktop", "documents"}));

    // An assignment takes effect at the next reload, not before.
    PanelLayoutStore::assignItems({"/d/assigned.txt"}, QString());
    QCOMPARE(panels().first(), custom);
    model->reload();
    QCOMPARE(panels().first(), "documents");
}

void TestDesktopModel::iconRequests()
{
    m_desktop->entries = {FakeDesktopSource::file("/d/b"), FakeDesktopSource::file("/d/a"),
                          DesktopEntry{QByteArray(), "/d/c", "c", "/d/c", false}};
    DesktopModel *model = makeModel();
    QSignalSpy wanted(model, &DesktopModel::iconWanted);
    model->reload();
    // One request per item with a handle, rows ascending, after the reset.
    QCOMPARE(wanted.count(), 2);
    QCOMPARE(wanted.at(0), (QVariantList{model->generation(), 0, QByteArray("/d/a"), 48, 1.0}));
    QCOMPARE(wanted.at(1).mid(1, 2), (QVariantList{1, QByteArray("/d/b")}));

    // A new icon size reloads and asks again; the same size does nothing.
    wanted.clear();
    const int before = m_desktop->enumerations;
    model->setIconSize(48);
    QCOMPARE(m_desktop->enumerations, before);
    const qsizetype asked = m_desktop->iconSizesAsked.size();
    model->setIconSize(64);
    QCOMPARE(m_desktop->enumerations, before + 1);
    QCOMPARE(wanted.count(), 2);
    QCOMPARE(wanted.at(0).at(3).toInt(), 64);
    const QList<int> placeholderSizes = m_desktop->iconSizesAsked.mid(asked);
    QVERIFY(!placeholderSizes.isEmpty() && placeholderSizes.count(64) == placeholderSizes.size());
    QCOMPARE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().availableSizes().value(0),
             QSize(64, 64));
}

void TestDesktopModel::staleAndNullIconsIgnored()
{
    m_desktop->entries = {FakeDesktopSource::file("/d/a"), FakeDesktopSource::file("/d/b")};
    DesktopModel *model = makeModel();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    const quint64 old = model->generation();
    model->reload();
    const quint64 current = model->generation();
    QCOMPARE(current, old + 1);

    deliverIcon(model, old, 0, redImage());
    deliverIcon(model, current, 2, redImage());
    deliverIcon(model, current, -1, redImage());
    deliverIcon(model, current, 0, QImage());
    QCOMPARE(changed.count(), 0);

    deliverIcon(model, current, 1, redImage());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 1);
    QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{Qt::DecorationRole});
    const QImage shown =
        model->index(1, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(48, 48)).toImage();
    QCOMPARE(shown.pixelColor(24, 24), QColor(Qt::red));
}

void TestDesktopModel::iconBurstsSpreadOverTurns()
{
    for (int i = 0; i < 40; ++i)
        m_desktop->entries.append(FakeDesktopSource::file(QString("/d/%1").arg(i, 2, 10, QLatin1Char('0'))));
    DesktopModel *model = makeModel();
    QList<int> rows;
    connect(model, &QAbstractItemModel::dataChanged, this, [&rows](const QModelIndex &changed) {
        rows.append(changed.row());
        QTest::qSleep(2); // a view that takes its time over every row
    });
    auto deliverAll = [model] {
        for (int row = 0; row < 40; ++row)
            deliverIcon(model, model->generation(), row, redImage());
    };

    // One burst: a few rows at once, the rest in later turns of the event loop, in order.
    deliverAll();
    QVERIFY2(rows.size() < 10, qPrintable(QString::number(rows.size())));
    QTRY_COMPARE(rows.size(), 40);
    for (int row = 0; row < 40; ++row)
        QCOMPARE(rows.at(row), row);

    // What is still waiting at a reload belongs to the old items and never lands.
    QTest::qWait(50);
    rows.clear();
    deliverAll();
    const qsizetype applied = rows.size();
    QVERIFY(applied < 40);
    model->reload();
    QTest::qWait(200);
    QCOMPARE(rows.size(), applied);
}

void TestDesktopModel::reloadRereadsSourceAndRules()
{
    m_desktop->entries = {FakeDesktopSource::file("/d/photo.psd")};
    DesktopModel *model = makeModel();
    QCOMPARE(model->index(0, 0).data(DesktopModel::CategoryRole).toInt(), int(ImagesCategory));
    QFile rules(categoriesFilePath());
    QVERIFY(rules.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rules.write("[code]\nextensions=psd\n");
    rules.close();
    model->reload();
    QCOMPARE(model->index(0, 0).data(DesktopModel::CategoryRole).toInt(), int(CodeCategory));
    QCOMPARE(model->index(0, 0).data(DesktopModel::PanelRole).toString(), "code");

    m_desktop->available = false;
    model->reload();
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(model->presentCategories().isEmpty());
}

QTEST_MAIN(TestDesktopModel)
#include "test_desktopmodel.moc"
