#pragma once

#include "shell/SessionEndWatcher.h"

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into endRequested() on the GUI thread, through
// a self-pipe, so that a logout or a kill ends the program like "Quit" does.
class UnixSignalWatcher : public SessionEndWatcher
{
    Q_OBJECT

public:
    explicit UnixSignalWatcher(QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
