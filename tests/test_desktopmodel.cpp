#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "fakes/FakeIconSource.h"
#include "fakes/FakeItemClassifier.h"
#include "shell/DesktopModel.h"

#include <QtTest>

namespace {

const QString recycleBin = "{645FF040-5081-101B-9F08-00AA002F954E}";

// A red square from the icon thread, or no image at all.
void deliverIcon(DesktopModel *model, quint64 generation, int row, bool null = false)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QMetaObject::invokeMethod(model, "iconLoaded", Q_ARG(quint64, generation), Q_ARG(int, row),
                              Q_ARG(QImage, null ? QImage() : image));
}

qint64 iconKey(const DesktopModel &model, int row)
{
    return model.index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
}

} // namespace

Q_DECLARE_METATYPE(DesktopEntry)

class TestDesktopModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_desktop = std::make_shared<FakeDesktopSource::State>();
        m_rules = std::make_shared<FakeItemClassifier::State>();
        m_icons = std::make_shared<FakeIconSource::State>();
    }

    void cleanup()
    {
        m_tester.reset();
        m_model.reset();
        m_env.reset();
    }

    void itemFields_data()
    {
        QTest::addColumn<DesktopEntry>("entry");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("category");
        QTest::addColumn<bool>("folder");
        auto row = [](const char *tag, const DesktopEntry &entry, const QString &name, const QString &key,
                      const QString &suffix, int category, bool folder) {
            QTest::newRow(tag) << entry << name << key << suffix << category << folder;
        };
        using F = FakeDesktopSource;
        row("file", F::file("/d/Report.PDF"), "Report.PDF", "/d/Report.PDF", "pdf", 3, false);
        row("virtual item", F::virtualItem(recycleBin, "Trash"), "Trash", "::" + recycleBin, "", 0, true);
        row("folder with suffix has none", F::folder("/d/site.html"), "site.html", "/d/site.html", "", 1,
            true);
        row("no display name uses parsing name", DesktopEntry{"/d/x", "/d/x", QString(), "/d/x", false},
            "/d/x", "/d/x", "", 9, false);
        row("line break shown on one line", F::file("/d/two\nlines.txt"), "two lines.txt",
            "/d/two\nlines.txt", "txt", 3, false);
        // A parsing name that is not the path (bytes that are not text) is the key.
        row("key from parsing name",
            DesktopEntry{"/d/r\xff.txt", "::raw:/d/r%FF.txt", "r\uFFFD.txt", "/d/r\uFFFD.txt", false},
            "r\uFFFD.txt", "::raw:/d/r%FF.txt", "txt", 3, false);
    }

    void itemFields()
    {
        QFETCH(DesktopEntry, entry);
        QFETCH(QString, key);
        m_desktop->entries = {entry};
        DesktopModel *model = makeModel();
        QCOMPARE(model->rowCount(), 1);
        const QModelIndex index = model->index(0, 0);
        QTEST(index.data(Qt::DisplayRole).toString(), "name");
        QCOMPARE(index.data(DesktopModel::KeyRole).toString(), key);
        QTEST(index.data(DesktopModel::SuffixRole).toString(), "suffix");
        QTEST(index.data(DesktopModel::CategoryRole).toInt(), "category");
        QTEST(index.data(DesktopModel::FolderRole).toBool(), "folder");
        QCOMPARE(model->itemKeys({index}), QStringList{key});
    }

    void naturalFolderFirstOrder()
    {
        using F = FakeDesktopSource;
        m_desktop->entries = {F::file("/d/alpha"),
                              F::file("/d/File 10"),
                              F::folder("/d/zeta"),
                              F::file("/d/file 2"),
                              F::virtualItem(recycleBin, "Trash"),
                              F::file("/d/Beta"),
                              F::folder("/d/Archive 1")};
        m_desktop->hiddenEntries = {F::file("/d/.secret")};
        DesktopModel *model = makeModel();
        QCOMPARE(column(*model),
                 (QStringList{"Archive 1", "Trash", "zeta", "alpha", "Beta", "file 2", "File 10"}));
        QCOMPARE(model->presentCategories(), (QList<int>{0, 1, 9}));

        // Hidden by the desktop's own setting: the name is matched upper-cased.
        m_desktop->hiddenVirtual = {recycleBin.toUpper()};
        m_desktop->entries[4].parsingName = m_desktop->entries[4].parsingName.toLower();
        m_desktop->showHidden = true;
        model->reload();
        QStringList shown = column(*model);
        QVERIFY(shown.removeOne(".secret")); // where a dot sorts is the platform's collation's
        QCOMPARE(shown, (QStringList{"Archive 1", "zeta", "alpha", "Beta", "file 2", "File 10"}));
        QCOMPARE(model->presentCategories(), (QList<int>{1, 9}));
    }

    void mimeData_data()
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

    void mimeData()
    {
        QFETCH(QList<int>, rows);
        m_desktop->entries = {FakeDesktopSource::file("/d/a b.txt"),
                              FakeDesktopSource::virtualItem(recycleBin, "Trash"),
                              FakeDesktopSource::file("/d/new\nline", "new line")};
        DesktopModel *model = makeModel();
        QModelIndexList indexes;
        for (int row : rows)
            indexes.append(model->index(row, 0));
        std::unique_ptr<QMimeData> mime(model->mimeData(indexes));
        QVERIFY(mime);
        QTEST(mime->urls(), "urls");
        QTEST(mime->data(DesktopModel::itemMimeType()), "payload");
        QVERIFY(!model->mimeData({}));
    }

    void classifierAskedAtEveryReload()
    {
        m_desktop->entries = {FakeDesktopSource::file("/d/photo.psd"),
                              FakeDesktopSource::file("/d/notes.txt")};
        m_rules->panels = {{"/d/notes.txt", "custom-1"}};
        DesktopModel *model = makeModel();
        QCOMPARE(m_rules->preparations, 1);
        QCOMPARE(column(*model, DesktopModel::PanelRole), (QStringList{"custom-1", "category-4"}));

        // Rules and assignments changed in between take effect at the next reload, not before.
        m_rules->suffixes.insert("psd", 8);
        m_rules->panels.clear();
        QCOMPARE(column(*model, DesktopModel::PanelRole), (QStringList{"custom-1", "category-4"}));
        model->reload();
        QCOMPARE(m_rules->preparations, 2);
        QCOMPARE(column(*model, DesktopModel::PanelRole), (QStringList{"category-3", "category-8"}));

        // A desktop that cannot be read is empty.
        m_desktop->available = false;
        model->reload();
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(model->presentCategories().isEmpty());
    }

    void iconsFromTheSource()
    {
        auto asked = [this](int px) {
            const QMutexLocker lock(&m_icons->mutex);
            QList<QByteArray> pidls;
            for (const auto &request : std::as_const(m_icons->asked)) {
                if (request.second == px)
                    pidls.append(request.first);
            }
            return pidls;
        };
        // One handle is given as the path's own bytes, which the model keeps only as the path.
        DesktopEntry namedByPath = FakeDesktopSource::file("/d/b.txt");
        namedByPath.pidl.clear();
        namedByPath.handleIsPath = true;
        m_desktop->entries = {FakeDesktopSource::file("/d/d.txt"), FakeDesktopSource::file("/d/c.png"),
                              namedByPath, FakeDesktopSource::file("/d/a.txt"),
                              DesktopEntry{QByteArray(), "/d/e", "e", "/d/e", false}};
        DesktopModel *model = makeModel(true);
        const QList<QByteArray> withHandle{"/d/a.txt", "/d/b.txt", "/d/c.png", "/d/d.txt"};
        // Every item with a handle, in row order; the real icon replaces the placeholder.
        QTRY_COMPARE(asked(48), withHandle);
        const qint64 placeholder = iconKey(*model, 4);
        QTRY_VERIFY(iconKey(*model, 0) != placeholder && iconKey(*model, 1) != placeholder &&
                    iconKey(*model, 2) != placeholder && iconKey(*model, 3) != placeholder);
        // The same image shares one icon: the texts one, the picture its own.
        QCOMPARE(iconKey(*model, 1), iconKey(*model, 0));
        QCOMPARE(iconKey(*model, 3), iconKey(*model, 0));
        QVERIFY(iconKey(*model, 2) != iconKey(*model, 0));
        // The icon's pixels are the source's own, not a copy of them (opaque images
        // become opaque pixmaps, which is a copy by necessity).
        const QImage shown = model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(48).toImage();
        const QImage source = std::as_const(m_icons->images).value({true, 48});
        QCOMPARE(shown.constBits(), source.constBits());

        // A reload finds the same images again and keeps their icons.
        const qint64 text = iconKey(*model, 0);
        const qint64 picture = iconKey(*model, 2);
        model->reload();
        QTRY_COMPARE(iconKey(*model, 0), text);
        QTRY_COMPARE(iconKey(*model, 2), picture);
        QTRY_COMPARE(iconKey(*model, 3), text);

        // A new icon size reloads and asks again at that size; the same size does nothing.
        const int before = m_desktop->enumerations;
        model->setIconSize(48);
        QCOMPARE(m_desktop->enumerations, before);
        const qsizetype placeholders = m_desktop->iconSizesAsked.size();
        model->setIconSize(64);
        QCOMPARE(m_desktop->enumerations, before + 1);
        QCOMPARE(m_desktop->iconSizesAsked.mid(placeholders).count(64), 2);
        QTRY_COMPARE(asked(64), withHandle);
    }

    void iconBurstsSpreadOverTurns()
    {
        for (int i = 0; i < 40; ++i)
            m_desktop->entries.append(
                FakeDesktopSource::file(QString("/d/%1").arg(i, 2, 10, QLatin1Char('0'))));
        DesktopModel *model = makeModel();
        QList<int> rows; // -1: a change of more than the icon
        connect(model, &QAbstractItemModel::dataChanged, this,
                [&rows](const QModelIndex &changed, const QModelIndex &, const QList<int> &roles) {
                    rows.append(roles == QList<int>{Qt::DecorationRole} ? changed.row() : -1);
                    QTest::qSleep(2); // a view that takes its time over every row
                });
        auto deliverAll = [model] {
            for (int row = 0; row < 40; ++row)
                deliverIcon(model, model->generation(), row);
        };

        // An answer for the items before a reload, for no row or without an image changes nothing.
        const quint64 old = model->generation();
        model->reload();
        deliverIcon(model, old, 0);
        deliverIcon(model, model->generation(), 40);
        deliverIcon(model, model->generation(), -1);
        deliverIcon(model, model->generation(), 0, true);
        QVERIFY(rows.isEmpty());

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

private:
    DesktopModel *makeModel(bool withIcons = false)
    {
        m_model =
            std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_desktop),
                                           withIcons ? std::make_unique<FakeIconSource>(m_icons) : nullptr,
                                           nullptr, std::make_unique<FakeItemClassifier>(m_rules));
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return m_model.get();
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::shared_ptr<FakeItemClassifier::State> m_rules;
    std::shared_ptr<FakeIconSource::State> m_icons;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

QTEST_MAIN(TestDesktopModel)
#include "test_desktopmodel.moc"
