#include "WindowsSessionEndWatcher.h"

#include <QCoreApplication>

#include <windows.h>

namespace {

WindowsSessionEndWatcher *watching = nullptr;

BOOL WINAPI consoleControl(DWORD event)
{
    if (!watching)
        return FALSE;
    watching->requestEndFromAnyThread();
    switch (event) {
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The process ends when this returns: give the GUI thread time to put
        // the desktop icons back and save.
        Sleep(4000);
        return TRUE;
    default:
        return TRUE;
    }
}

} // namespace

WindowsSessionEndWatcher::WindowsSessionEndWatcher(QObject *parent)
    : SessionEndWatcher(parent)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
    if (!watching) {
        watching = this;
        SetConsoleCtrlHandler(consoleControl, TRUE);
    }
}

WindowsSessionEndWatcher::~WindowsSessionEndWatcher()
{
    if (watching == this) {
        SetConsoleCtrlHandler(consoleControl, FALSE);
        watching = nullptr;
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool WindowsSessionEndWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result)
{
    Q_UNUSED(result)
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    // wParam false: the session goes on after all (another program refused).
    if (msg->message == WM_ENDSESSION && msg->wParam)
        Q_EMIT endRequested();
    return false;
}

void WindowsSessionEndWatcher::requestEndFromAnyThread()
{
    QMetaObject::invokeMethod(this, &SessionEndWatcher::endRequested, Qt::QueuedConnection);
}
