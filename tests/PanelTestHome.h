#pragma once

#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/CategoryFilter.h"
#include "panels/IconPanel.h"
#include "panels/ItemPlacement.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"

#include <QSettings>

#include <memory>

// Every panel test starts in a home of its own, with empty settings, an empty
// layout store and a fake desktop without items.
inline void startPanelTest(std::unique_ptr<TestEnvironment> &env,
                           std::shared_ptr<FakeDesktopSource::State> &desktop)
{
    env = std::make_unique<TestEnvironment>();
    TestEnvironment::settings().clear();
    PanelLayoutStore::discardState();
    desktop = std::make_shared<FakeDesktopSource::State>();
}

// After the test's windows and model are gone: the layout store forgets the
// home before the home goes.
inline void endPanelTest(std::unique_ptr<TestEnvironment> &env)
{
    PanelLayoutStore::discardState();
    env.reset();
}

inline std::unique_ptr<DesktopModel>
makeDesktopModel(const std::shared_ptr<FakeDesktopSource::State> &desktop)
{
    return std::make_unique<DesktopModel>(std::make_unique<FakeDesktopSource>(desktop),
                                          std::make_unique<ItemPlacement>());
}

// A panel as the panel set makes it: the items of panelId, or all of them for none.
inline std::unique_ptr<IconPanel> makeIconPanel(DesktopModel *model, const QString &panelId,
                                                const IconPanel::Options &options = {})
{
    CategoryFilter *filter = panelId.isEmpty() ? nullptr : new CategoryFilter(panelId);
    if (filter)
        filter->setSourceModel(model);
    auto panel = std::make_unique<IconPanel>(options, model, filter, QStringLiteral("Documents"),
                                             PanelLayoutStore::settingsPrefix(panelId));
    if (filter)
        filter->setParent(panel.get());
    return panel;
}
