#pragma once

#include "TestEnvironment.h"
#include "fakes/FakeDesktopSource.h"
#include "panels/PanelLayoutStore.h"

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
