#pragma once

#include <memory>

class DesktopSource;
class QObject;
class SessionEndWatcher;

// The one place where the platform's implementations are chosen; the build
// links exactly one implementation of these functions.
namespace Platform {

// Adjusts the process environment before the application object exists.
void prepareEnvironment();

std::unique_ptr<DesktopSource> createDesktopSource();

SessionEndWatcher *createSessionEndWatcher(QObject *parent);

} // namespace Platform
