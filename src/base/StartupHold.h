#pragma once

#include <QtGlobal>

#include <functional>

class QObject;

// The second half of a start. Work that need not be done before the program's
// first windows are on screen (the first start's files, reading icons, asking
// for the day's rate, the daily backup) is handed to whenReleased(): while a
// hold lives it waits, and the end of the last hold runs it, in the order it
// came. Without a hold, as in a program that is already running, it runs at
// once. All of it happens on the GUI thread.
class StartupHold
{
public:
    StartupHold();
    ~StartupHold();
    Q_DISABLE_COPY_MOVE(StartupHold)

    static bool isHeld();
    // Work tied to a context is dropped when the context is gone by then; a
    // null context ties it to nothing.
    static void whenReleased(const QObject *context, std::function<void()> work);
};
