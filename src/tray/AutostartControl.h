#pragma once

#include "shell/PlatformLook.h"

#include <QObject>

class AutostartEntry;
class QAction;

// The one switch for starting at sign-in that every menu and the settings
// window share: a checkable action that mirrors the entry as it really is,
// also after a change that failed or one made outside the program.
class AutostartControl : public QObject
{
    Q_OBJECT

public:
    AutostartControl(AutostartEntry *entry, const PlatformLook::Words &words, QObject *parent = nullptr);

    QAction *action() const { return m_action; }
    bool isEnabled() const;
    // Switches, then shows the real state; false (and changeFailed) when the
    // entry does not say what was asked.
    bool setEnabled(bool on);
    // Re-reads the entry into the action.
    void refresh();

Q_SIGNALS:
    void changeFailed();

private:
    AutostartEntry *m_entry;
    QAction *m_action;
};
