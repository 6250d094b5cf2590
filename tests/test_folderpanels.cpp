#include "PanelTestHome.h"
#include "fakes/FakeFileTransfer.h"
#include "fakes/FakeLooseItems.h"
#include "panelset/PanelSet.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

// Folder panels as the panel set makes them: their own model over their folder,
// their place in the quick search, and drops between folders and the desktop.
class TestFolderPanels : public QObject, PanelFixture
{
    Q_OBJECT

    std::unique_ptr<PanelSet> m_set;
    std::shared_ptr<FakeDesktopSource::State> m_folder;
    QByteArray m_folderAsked;
    QPointer<FakeFileTransfer> m_transfer;

    // The desktop "/d" with x.txt and a custom panel "Mine", and a folder panel
    // made as the user does over "/f/Downloads" holding a.txt. Every transfer
    // asked for is m_transfer.
    IconPanel *folderPanel()
    {
        addFiles({"/d/x.txt"});
        m_desktop->folder = "/d";
        m_folder = std::make_shared<FakeDesktopSource::State>();
        m_folder->folder = "/f/Downloads";
        m_folder->entries.append(FakeDesktopSource::file("/f/Downloads/a.txt"));
        PanelLayoutStore::createPanel("Mine");
        m_model = makeDesktopModel(m_desktop);
        m_set = std::make_unique<PanelSet>(
            IconPanelOptions{}, m_model.get(), true, nullptr,
            [this](const QByteArray &folder, std::unique_ptr<ItemClassifier> classifier) {
                m_folderAsked = folder;
                return std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(m_folder),
                                                      std::move(classifier));
            });
        FolderPanels *folders = m_set->folderPanels();
        folders->setTransferFactory(
            [this](QObject *parent) { return m_transfer = new FakeFileTransfer(parent); });
        folders->setFolderChooser([] { return QStringLiteral("/f/Downloads"); });
        folders->newPanelAction()->trigger();
        return m_set->panel("folder-1");
    }

private Q_SLOTS:
    void init() { startHome(); }

    void cleanup()
    {
        m_set.reset();
        endHome();
    }

    void folderPanelFollowsItsFolder()
    {
        IconPanel *panel = folderPanel();
        QVERIFY(panel);
        QCOMPARE(m_folderAsked, "/f/Downloads");
        QCOMPARE(keysIn(panel), QStringList{"/f/Downloads/a.txt"});
        // Offered by the panels made before folder panels could be, too.
        QAction *newFolderPanel = m_set->folderPanels()->newPanelAction();
        QVERIFY(newFolderPanel->isVisible());
        for (IconPanel *each : {panel, m_set->panel("documents")})
            QVERIFY(each->createContextMenu({})->actions().contains(newFolderPanel));
        Q_EMIT panel->renamePanelRequested("folder-1", "Fetched");
        QCOMPARE(panel->title(), "Fetched");
        // The quick search finds its items with the desktop's, as this panel's.
        const QAbstractItemModel *search = m_set->folderPanels()->searchModel();
        QCOMPARE(column(*search, DesktopModel::KeyRole), keysIn(m_set->panel("documents")) + keysIn(panel));
        QCOMPARE(column(*search, DesktopModel::PanelRole).last(), "folder-1");

        m_folder->entries.append(FakeDesktopSource::file("/f/Downloads/b.txt"));
        panel->refresh();
        QCOMPARE(keysIn(panel), (QStringList{"/f/Downloads/a.txt", "/f/Downloads/b.txt"}));

        // A folder gone leaves the panel in place, empty and saying so, until it is back.
        m_folder->available = false;
        panel->refresh();
        m_model->reload();
        QCOMPARE(m_set->panel("folder-1"), panel);
        QVERIFY(keysIn(panel).isEmpty());
        QCOMPARE(panel->notice(), "This folder is not available");
        m_folder->available = true;
        QTRY_COMPARE_WITH_TIMEOUT(keysIn(panel).size(), 2, 2 * FolderPanels::recheckMs);
        QVERIFY(panel->notice().isEmpty());

        // Removed, it takes its items out of the search with it.
        Q_EMIT panel->removePanelRequested("folder-1");
        QTRY_VERIFY(!m_set->panel("folder-1"));
        QCOMPARE(column(*search, DesktopModel::KeyRole), QStringList{"/d/x.txt"});
    }

    void dropsBetweenFoldersMoveOrCopy_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("folder"); // where the file goes; none when nothing moves
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("arrived");
        QTest::addColumn<QString>("assigned"); // the panel the arrived file belongs to
        using Mode = FileTransfer::Mode;
        const auto row = [](const char *tag, const char *target, const char *key, int modifiers,
                            const char *folder, Mode mode, const char *arrived, const char *assigned) {
            QTest::newRow(tag) << QString(target) << QString(key) << modifiers << QString(folder) << int(mode)
                               << QString(arrived) << QString(assigned);
        };
        const char *folderFile = "/f/Downloads/a.txt";
        row("folder file onto a custom panel, Ctrl copies", "custom-1", folderFile, Qt::ControlModifier, "/d",
            Mode::Copy, "/d/a (2).txt", "custom-1");
        row("folder file onto a category panel", "documents", folderFile, 0, "/d", Mode::Automatic,
            "/d/a.txt", "");
        row("desktop file onto the folder panel, Shift moves", "folder-1", "/d/x.txt", Qt::ShiftModifier,
            "/f/Downloads", Mode::Move, "/f/Downloads/x.txt", "");
        row("folder file onto a loose place, Ctrl copies", "@desktop", folderFile, Qt::ControlModifier, "/d",
            Mode::Copy, "/d/a (2).txt", "@desktop");
        row("desktop file onto a custom panel is assigned, not moved", "custom-1", "/d/x.txt", 0, "",
            Mode::Automatic, "/d/x.txt", "custom-1");
    }

    void dropsBetweenFoldersMoveOrCopy()
    {
        QFETCH(QString, target);
        QFETCH(QString, key);
        QFETCH(int, modifiers);
        QFETCH(QString, folder);
        QFETCH(QString, arrived);
        QVERIFY(folderPanel());
        auto *loose = new FakeLooseItems;
        m_set->setLooseItems(loose);
        if (IconPanel *panel = m_set->panel(target))
            Q_EMIT panel->itemsDropped({key}, panel->isCustomPanel() ? target : QString(),
                                       Qt::KeyboardModifiers(modifiers));
        else
            Q_EMIT loose->foreignItemsDropped({key}, QPoint(300, 200), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(bool(m_transfer), !folder.isEmpty());
        if (m_transfer) {
            QCOMPARE(m_transfer->m_sources, QStringList{key});
            QCOMPARE(m_transfer->m_targetFolder, folder);
            QTEST(int(m_transfer->m_mode), "mode");
            m_transfer->finish({arrived});
        }
        const bool placed = loose->placed.value(0) == std::pair(QStringList{arrived}, QPoint(300, 200));
        QTEST(placed ? PanelLayoutStore::desktopPanelId() : PanelLayoutStore::panelIdFor(arrived),
              "assigned");
    }
};

QTEST_MAIN(TestFolderPanels)
#include "test_folderpanels.moc"
