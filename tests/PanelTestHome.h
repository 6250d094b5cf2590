#pragma once

#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/CategoryFilter.h"
#include "panels/IconPanel.h"
#include "panels/ItemDragView.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"

#include <QSettings>
#include <QtTest>

#include <memory>

inline std::unique_ptr<DesktopModel>
makeDesktopModel(const std::shared_ptr<FakeDesktopSource::State> &desktop)
{
    return std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(desktop),
                                          std::make_unique<ItemPlacement>());
}

// The keys a panel shows, top to bottom.
inline QStringList keysIn(const IconPanel *panel)
{
    return column(*panel->view()->model(), DesktopModel::KeyRole);
}

// What most panel tests hold: their home, the fake desktop, the model over it
// and, for a test of one panel, that panel. A test class derives from it and
// calls startHome() and endHome() from its init() and cleanup().
struct PanelFixture
{
    std::unique_ptr<TestEnvironment> m_env;
    std::shared_ptr<FakeDesktopSource::State> m_desktop;
    std::unique_ptr<DesktopModel> m_model;
    std::unique_ptr<IconPanel> m_panel;

    // Every test starts in a home of its own, with empty settings, an empty
    // layout store and a fake desktop without items.
    void startHome()
    {
        m_env = std::make_unique<TestEnvironment>();
        TestEnvironment::settings().clear();
        PanelLayoutStore::discardState();
        m_desktop = std::make_shared<FakeDesktopSource::State>();
    }
    // After the test's windows and model are gone: the layout store forgets the
    // home before the home goes.
    void endHome()
    {
        m_panel.reset();
        m_model.reset();
        PanelLayoutStore::discardState();
        m_env.reset();
    }
    void addFiles(const QStringList &paths)
    {
        for (const QString &path : paths)
            m_desktop->entries.append(FakeDesktopSource::file(path));
    }

    // The panel of panelId as the panel set makes it (all items for none) over the
    // model (made now if the test has none), after `files` files "/d/file 0.txt" on
    // joined the desktop; placed at geometry and shown unless that is null. Null
    // when it did not come on screen.
    IconPanel *makePanel(const QString &panelId, int files = 0, QRect geometry = {},
                         const IconPanel::Options &options = {})
    {
        for (int i = 0; i < files; ++i)
            m_desktop->entries.append(FakeDesktopSource::file(QStringLiteral("/d/file %1.txt").arg(i)));
        if (!m_model)
            m_model = makeDesktopModel(m_desktop);
        CategoryFilter *filter = panelId.isEmpty() ? nullptr : new CategoryFilter(panelId);
        if (filter)
            filter->setSourceModel(m_model.get());
        m_panel = std::make_unique<IconPanel>(options, m_model.get(), filter, QStringLiteral("Documents"),
                                              PanelLayoutStore::settingsPrefix(panelId));
        if (filter)
            filter->setParent(m_panel.get());
        return geometry.isNull() || showPanel(geometry) ? m_panel.get() : nullptr;
    }
    bool showPanel(QRect geometry)
    {
        m_panel->applyGeometry(geometry, false);
        m_panel->show();
        return QTest::qWaitForWindowExposed(m_panel.get());
    }
};
