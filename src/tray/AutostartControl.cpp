#include "tray/AutostartControl.h"

#include "base/l10n/L10n.h"
#include "shell/AutostartEntry.h"

#include <QAction>

AutostartControl::AutostartControl(AutostartEntry *entry, const PlatformLook::Words &words, QObject *parent)
    : QObject(parent)
    , m_entry(entry)
    , m_action(new QAction(this))
{
    L10n::bind(m_action, "text", words.startAtSignIn);
    m_action->setCheckable(true);
    refresh();
    connect(m_action, &QAction::triggered, this, &AutostartControl::setEnabled);
}

bool AutostartControl::isEnabled() const
{
    return m_entry->isEnabled();
}

bool AutostartControl::setEnabled(bool on)
{
    const bool done = m_entry->setEnabled(on);
    refresh();
    if (!done)
        Q_EMIT changeFailed();
    return done;
}

void AutostartControl::refresh()
{
    m_action->setChecked(m_entry->isEnabled());
}
