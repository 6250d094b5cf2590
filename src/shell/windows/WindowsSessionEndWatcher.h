#pragma once

#include "shell/SessionEndWatcher.h"

#include <QAbstractNativeEventFilter>

// Windows ending the session (WM_ENDSESSION after sign-out or shutdown was
// agreed to) and console control events (Ctrl+C, Ctrl+Break, the console
// closing) become endRequested() on the GUI thread, so the program leaves
// through its orderly exit. Windows ends the process soon after the session's
// end was announced: what must not wait for the event loop to unwind (the
// desktop icons) is done on Qt's aboutToQuit, which Qt emits at that moment.
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
