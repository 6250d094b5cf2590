#pragma once

#include "shell/SessionEndWatcher.h"

#include <QAbstractNativeEventFilter>

// Windows ending the session (WM_ENDSESSION after sign-out or shutdown was
// agreed to) and console control events (Ctrl+C, Ctrl+Break, the console
// closing) become endRequested() on the GUI thread. Qt's own answer to the end
// of the session asks every window to close, which panels that hide to the
// tray refuse; the program's orderly exit does not ask.
class WindowsSessionEndWatcher : public SessionEndWatcher, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit WindowsSessionEndWatcher(QObject *parent = nullptr);
    ~WindowsSessionEndWatcher() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // From the console's own thread: the request is queued to the GUI thread.
    void requestEndFromAnyThread();
};
