#include "TestEnvironment.h"
#include "categories/CategoryRules.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString recycleBin = QStringLiteral("{645FF040-5081-101B-9F08-00AA002F954E}");

QStringList names(const DesktopModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, 0).data().toString());
    return result;
}

int rowOf(const DesktopModel &model, const QString &name)
{
    return int(names(model).indexOf(name));
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
    void rolesAndFlags();
    void mimeData_data();
    void mimeData();
    void hiddenItems();
    void panelIdsFollowLayoutStore();
    void iconRequests();
    void iconSizeChangesReload();
    void staleAndNullIconsIgnored();
    void iconBurstsSpreadOverTurns();
    void queuedReloadsFold();
    void unavailableDesktop();
    void categoryRulesReadAtReload();

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
    m_model = std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop));
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

    QTest::newRow("report pdf") << FakeDesktopSource::file(QStringLiteral("/home/u/Desktop/Report.PDF"))
                                << QStringLiteral("Report.PDF")
                                << QStringLiteral("/home/u/Desktop/Report.PDF") << QStringLiteral("pdf")
                                << int(DocumentsCategory) << QStringLiteral("documents") << false;
    QTest::newRow("recycle bin") << FakeDesktopSource::virtualItem(recycleBin, QStringLiteral("Trash"))
                                 << QStringLiteral("Trash") << QLatin1String("::") + recycleBin << QString()
                                 << int(SystemCategory) << QStringLiteral("system") << true;
    QTest::newRow("folder with suffix has none")
        << FakeDesktopSource::folder(QStringLiteral("/d/site.html")) << QStringLiteral("site.html")
        << QStringLiteral("/d/site.html") << QString() << int(CodeCategory) << QStringLiteral("code") << true;
    QTest::newRow("no display name uses parsing name")
        << DesktopEntry{"/d/x", QStringLiteral("/d/x"), QString(), QStringLiteral("/d/x"), false}
        << QStringLiteral("/d/x") << QStringLiteral("/d/x") << QString() << int(OtherCategory)
        << QStringLiteral("other") << false;
    QTest::newRow("line break shown on one line")
        << FakeDesktopSource::file(QStringLiteral("/d/two\nlines.txt")) << QStringLiteral("two lines.txt")
        << QStringLiteral("/d/two\nlines.txt") << QStringLiteral("txt") << int(DocumentsCategory)
        << QStringLiteral("documents") << false;
    QTest::newRow("launcher") << FakeDesktopSource::file(QStringLiteral("/d/app.desktop"),
                                                         QStringLiteral("App"))
                              << QStringLiteral("App") << QStringLiteral("/d/app.desktop")
                              << QStringLiteral("desktop") << int(AppsCategory) << QStringLiteral("apps")
                              << false;
}

void TestDesktopModel::itemFields()
{
    QFETCH(DesktopEntry, entry);
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(QString, suffix);
    QFETCH(int, category);
    QFETCH(QString, panel);
    QFETCH(bool, folder);

    m_desktop->entries = {entry};
    DesktopModel *model = makeModel();
    QCOMPARE(model->rowCount(), 1);
    const QModelIndex index = model->index(0, 0);
    QCOMPARE(index.data(Qt::DisplayRole).toString(), name);
    QCOMPARE(index.data(Qt::ToolTipRole).toString(), name);
    QCOMPARE(index.data(DesktopModel::KeyRole).toString(), key);
    QCOMPARE(index.data(DesktopModel::SuffixRole).toString(), suffix);
    QCOMPARE(index.data(DesktopModel::CategoryRole).toInt(), category);
    QCOMPARE(index.data(DesktopModel::PanelRole).toString(), panel);
    QCOMPARE(index.data(DesktopModel::FolderRole).toBool(), folder);
    QCOMPARE(model->itemPath(index), entry.path);
    QCOMPARE(model->itemKeys({index}), QStringList{key});
    QCOMPARE(model->itemPidls({index}), QList<QByteArray>{entry.pidl});
    QCOMPARE(model->presentCategories(), QList<int>{category});
}

void TestDesktopModel::naturalFolderFirstOrder()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/alpha")),
                          FakeDesktopSource::file(QStringLiteral("/d/File 10")),
                          FakeDesktopSource::folder(QStringLiteral("/d/zeta")),
                          FakeDesktopSource::file(QStringLiteral("/d/file 2")),
                          FakeDesktopSource::virtualItem(recycleBin, QStringLiteral("Trash")),
                          FakeDesktopSource::file(QStringLiteral("/d/Beta")),
                          FakeDesktopSource::folder(QStringLiteral("/d/Archive 1"))};
    DesktopModel *model = makeModel();
    QCOMPARE(names(*model),
             (QStringList{"Archive 1", "Trash", "zeta", "alpha", "Beta", "file 2", "File 10"}));
    QCOMPARE(model->presentCategories(), (QList<int>{SystemCategory, FoldersCategory, OtherCategory}));
}

void TestDesktopModel::rolesAndFlags()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a.txt"))};
    DesktopModel *model = makeModel();
    const QModelIndex index = model->index(0, 0);
    QVERIFY(model->flags(index) & Qt::ItemIsDragEnabled);
    QVERIFY(model->flags(index) & Qt::ItemIsEnabled);
    QVERIFY(!(model->flags(index) & Qt::ItemIsEditable));
    QVERIFY(!(model->flags(index) & Qt::ItemIsDropEnabled));
    QVERIFY(!(model->flags(QModelIndex()) & Qt::ItemIsDragEnabled));
    QCOMPARE(model->supportedDragActions(), Qt::CopyAction | Qt::LinkAction);
    QCOMPARE(model->rowCount(index), 0);
    QVERIFY(!index.data(Qt::EditRole).isValid());
    QVERIFY(!index.data(DesktopModel::SuffixRole + 1).isValid());
    QVERIFY(!model->data(model->index(5, 0), Qt::DisplayRole).isValid());
    QVERIFY(model->roleNames().value(DesktopModel::KeyRole).isEmpty());
    QCOMPARE(index.data(Qt::DecorationRole).value<QIcon>().isNull(), false);
    QCOMPARE(model->itemPath(QModelIndex()), QString());
    QVERIFY(model->itemKeys({QModelIndex()}).isEmpty());
    QCOMPARE(int(DesktopModel::CategoryRole), 257);
    QCOMPARE(int(DesktopModel::SuffixRole), 261);
}

void TestDesktopModel::mimeData_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QByteArray>("payload");
    // Rows: 0 = Trash (folder), 1 = "a b.txt", 2 = "new\nline"
    QTest::newRow("file and virtual item")
        << QList<int>{1, 0} << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/d/a b.txt"))}
        << QByteArray("/d/a b.txt\n::" + recycleBin.toUtf8());
    QTest::newRow("virtual only") << QList<int>{0} << QList<QUrl>() << QByteArray("::" + recycleBin.toUtf8());
    QTest::newRow("invalid rows left out")
        << QList<int>{-1, 1, 9} << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/d/a b.txt"))}
        << QByteArray("/d/a b.txt");
    // A key holding a line feed cannot travel in the line-separated payload.
    QTest::newRow("key with line feed") << QList<int>{2, 1}
                                        << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/d/new\nline")),
                                                       QUrl::fromLocalFile(QStringLiteral("/d/a b.txt"))}
                                        << QByteArray("/d/a b.txt");
}

void TestDesktopModel::mimeData()
{
    QFETCH(QList<int>, rows);
    QFETCH(QList<QUrl>, urls);
    QFETCH(QByteArray, payload);
    m_desktop->entries = {
        FakeDesktopSource::file(QStringLiteral("/d/a b.txt")),
        FakeDesktopSource::virtualItem(recycleBin, QStringLiteral("Trash")),
        FakeDesktopSource::file(QStringLiteral("/d/new\nline"), QStringLiteral("new line"))};
    DesktopModel *model = makeModel();
    QCOMPARE(names(*model), (QStringList{"Trash", "a b.txt", "new line"}));
    QCOMPARE(model->mimeTypes(), (QStringList{"text/uri-list", "application/x-brim-vale-item"}));

    QModelIndexList indexes;
    for (int row : rows)
        indexes.append(model->index(row, 0));
    std::unique_ptr<QMimeData> mime(model->mimeData(indexes));
    QVERIFY(mime);
    QCOMPARE(mime->urls(), urls);
    QCOMPARE(mime->hasUrls(), !urls.isEmpty());
    QVERIFY(mime->hasFormat(DesktopModel::itemMimeType()));
    QCOMPARE(mime->data(DesktopModel::itemMimeType()), payload);
    QVERIFY(!model->mimeData({}));
}

void TestDesktopModel::hiddenItems()
{
    m_desktop->entries = {FakeDesktopSource::virtualItem(recycleBin, QStringLiteral("Trash")),
                          FakeDesktopSource::file(QStringLiteral("/d/shown"))};
    m_desktop->hiddenEntries = {FakeDesktopSource::file(QStringLiteral("/d/.secret"))};
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
    const QString custom = PanelLayoutStore::createPanel(QStringLiteral("Work"));
    PanelLayoutStore::assignItems({QStringLiteral("/d/assigned.txt")}, custom);
    PanelLayoutStore::assignItems({QStringLiteral("/d/stale.txt")}, QStringLiteral("custom-42"));
    PanelLayoutStore::setDesktopPosition(QStringLiteral("/d/loose.txt"), QPoint(5, 5));
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/assigned.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/stale.txt")),
                          FakeDesktopSource::file(QStringLiteral("/d/loose.txt"))};
    DesktopModel *model = makeModel();
    auto panelOf = [model](const QString &name) {
        return model->index(rowOf(*model, name), 0).data(DesktopModel::PanelRole).toString();
    };
    QCOMPARE(panelOf(QStringLiteral("assigned.txt")), custom);
    QCOMPARE(panelOf(QStringLiteral("stale.txt")), QStringLiteral("documents"));
    QCOMPARE(panelOf(QStringLiteral("loose.txt")), QStringLiteral("@desktop"));

    // An assignment takes effect at the next reload, not before.
    PanelLayoutStore::assignItems({QStringLiteral("/d/assigned.txt")}, QString());
    QCOMPARE(panelOf(QStringLiteral("assigned.txt")), custom);
    model->reload();
    QCOMPARE(panelOf(QStringLiteral("assigned.txt")), QStringLiteral("documents"));
}

void TestDesktopModel::iconRequests()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/b")),
                          FakeDesktopSource::file(QStringLiteral("/d/a")),
                          DesktopEntry{QByteArray(), QStringLiteral("/d/c"), QStringLiteral("c"),
                                       QStringLiteral("/d/c"), false}};
    DesktopModel *model = makeModel();
    QSignalSpy wanted(model, &DesktopModel::iconWanted);
    QSignalSpy reloaded(model, &DesktopModel::reloaded);
    model->reload();
    QCOMPARE(reloaded.count(), 1);
    // One request per item with a handle, rows ascending, after the reset.
    QCOMPARE(wanted.count(), 2);
    QCOMPARE(wanted.at(0).at(0).toULongLong(), model->generation());
    QCOMPARE(wanted.at(0).at(1).toInt(), 0);
    QCOMPARE(wanted.at(0).at(2).toByteArray(), QByteArray("/d/a"));
    QCOMPARE(wanted.at(0).at(3).toInt(), 48);
    QCOMPARE(wanted.at(0).at(4).toDouble(), 1.0);
    QCOMPARE(wanted.at(1).at(1).toInt(), 1);
    QCOMPARE(wanted.at(1).at(2).toByteArray(), QByteArray("/d/b"));
}

void TestDesktopModel::iconSizeChangesReload()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a"))};
    DesktopModel *model = makeModel();
    QSignalSpy wanted(model, &DesktopModel::iconWanted);
    const int before = m_desktop->enumerations;
    model->setIconSize(48);
    QCOMPARE(m_desktop->enumerations, before);
    QCOMPARE(wanted.count(), 0);
    model->setIconSize(64);
    QCOMPARE(m_desktop->enumerations, before + 1);
    QCOMPARE(wanted.count(), 1);
    QCOMPARE(wanted.at(0).at(3).toInt(), 64);
    QCOMPARE(m_desktop->iconSizesAsked.mid(m_desktop->iconSizesAsked.size() - 2), (QList<int>{64, 64}));
    QCOMPARE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().availableSizes().value(0),
             QSize(64, 64));
}

void TestDesktopModel::staleAndNullIconsIgnored()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a")),
                          FakeDesktopSource::file(QStringLiteral("/d/b"))};
    DesktopModel *model = makeModel();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const quint64 old = model->generation();
    model->reload();
    const quint64 current = model->generation();
    QCOMPARE(current, old + 1);

    auto deliver = [model](quint64 generation, int row, const QImage &image) {
        QVERIFY(QMetaObject::invokeMethod(model, "iconLoaded", Q_ARG(quint64, generation), Q_ARG(int, row),
                                          Q_ARG(QImage, image)));
    };
    deliver(old, 0, red);
    deliver(current, 2, red);
    deliver(current, -1, red);
    deliver(current, 0, QImage());
    QCOMPARE(changed.count(), 0);

    deliver(current, 1, red);
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
        m_desktop->entries.append(
            FakeDesktopSource::file(QStringLiteral("/d/%1").arg(i, 2, 10, QLatin1Char('0'))));
    DesktopModel *model = makeModel();
    QList<int> rows;
    connect(model, &QAbstractItemModel::dataChanged, this, [&rows](const QModelIndex &changed) {
        rows.append(changed.row());
        QTest::qSleep(2); // a view that takes its time over every row
    });
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    auto deliverAll = [&] {
        for (int row = 0; row < 40; ++row)
            QMetaObject::invokeMethod(model, "iconLoaded", Q_ARG(quint64, model->generation()),
                                      Q_ARG(int, row), Q_ARG(QImage, red));
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

void TestDesktopModel::queuedReloadsFold()
{
    DesktopModel *model = makeModel();
    QSignalSpy reloaded(model, &DesktopModel::reloaded);
    for (int i = 0; i < 20; ++i)
        model->queueReload();
    QCOMPARE(reloaded.count(), 0);
    QVERIFY(reloaded.wait(2000));
    QTest::qWait(400);
    QCOMPARE(reloaded.count(), 1);
}

void TestDesktopModel::unavailableDesktop()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/a"))};
    DesktopModel *model = makeModel();
    QCOMPARE(model->rowCount(), 1);
    m_desktop->available = false;
    QSignalSpy reloaded(model, &DesktopModel::reloaded);
    model->reload();
    QCOMPARE(reloaded.count(), 1);
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(model->presentCategories().isEmpty());
}

void TestDesktopModel::categoryRulesReadAtReload()
{
    m_desktop->entries = {FakeDesktopSource::file(QStringLiteral("/d/photo.psd"))};
    DesktopModel *model = makeModel();
    QCOMPARE(model->index(0, 0).data(DesktopModel::CategoryRole).toInt(), int(ImagesCategory));
    QFile rules(categoriesFilePath());
    QVERIFY(rules.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rules.write("[code]\nextensions=psd\n");
    rules.close();
    model->reload();
    QCOMPARE(model->index(0, 0).data(DesktopModel::CategoryRole).toInt(), int(CodeCategory));
    QCOMPARE(model->index(0, 0).data(DesktopModel::PanelRole).toString(), QStringLiteral("code"));
}

QTEST_MAIN(TestDesktopModel)
#include "test_desktopmodel.moc"
