#include "shell/ShellDesktop.h"

#include "base/Settings.h"
#include "shell/DesktopIconSwitch.h"

#include <QDateTime>
#include <QTimer>

ShellDesktop::ShellDesktop(std::unique_ptr<DesktopIconSwitch> iconSwitch, QObject *parent)
    : QObject(parent)
    , m_switch(std::move(iconSwitch))
{}

ShellDesktop::~ShellDesktop()
{
    restoreIcons();
}

bool ShellDesktop::isRetrying() const
{
    return m_retryTimer && m_retryTimer->isActive();
}

bool ShellDesktop::settling() const
{
    const qint64 restoredAt = Settings::instance()->value(SettingsKeys::shellIconsRestoredAt).toLongLong();
    const qint64 since = QDateTime::currentMSecsSinceEpoch() - restoredAt;
    // A time far ahead (the clock was set back since) is no reason to wait.
    return restoredAt > 0 && since < settleMs && since > -settleMs;
}

bool ShellDesktop::tryHide()
{
    if (!m_switch)
        return false;
    const bool alreadyHidden = m_switch->iconsHiddenNow();
    Settings *settings = Settings::instance();
    const bool flagStored = settings->value(SettingsKeys::shellIconsHiddenByUs).toBool();
    if (!alreadyHidden && (settling() || !m_switch->toggle()))
        return false;
    if (m_retryTimer)
        m_retryTimer->stop();
    m_retriesLeft = 0;
    // Icons found hidden belong to us only when an earlier run of ours hid them.
    m_hiddenByUs = !alreadyHidden || flagStored;
    if (m_hiddenByUs)
        settings->setValue(SettingsKeys::shellIconsHiddenByUs, true);
    m_hidden = true;
    Q_EMIT hiddenChanged(true);
    return true;
}

void ShellDesktop::hideIcons()
{
    if (m_hidden || tryHide() || isRetrying())
        return;
    if (!m_retryTimer) {
        m_retryTimer = new QTimer(this);
        m_retryTimer->setInterval(retryIntervalMs);
        connect(m_retryTimer, &QTimer::timeout, this, &ShellDesktop::retry);
    }
    m_retriesLeft = retryCount;
    m_retryTimer->start();
}

void ShellDesktop::retry()
{
    if (tryHide())
        return;
    if (--m_retriesLeft < 1) {
        m_retryTimer->stop();
        m_retriesLeft = 0;
    }
}

void ShellDesktop::restoreIcons()
{
    if (m_retryTimer)
        m_retryTimer->stop();
    m_retriesLeft = 0;
    if (!m_hidden)
        return;
    m_hidden = false;
    // When the user showed the icons by hand meanwhile, nothing is sent.
    bool givenBack = true;
    if (m_hiddenByUs && m_switch && m_switch->iconsHiddenNow()) {
        if (!m_switch->toggle())
            givenBack = m_switch->showDirectly();
        if (givenBack)
            Settings::instance()->setValue(SettingsKeys::shellIconsRestoredAt,
                                           QDateTime::currentMSecsSinceEpoch());
    }
    m_hiddenByUs = false;
    // Icons we could not give back (the desktop was unreachable at the end)
    // keep the flag, so the next run takes them over and gives them back;
    // dropping it would leave them hidden for good.
    if (givenBack)
        Settings::instance()->remove(SettingsKeys::shellIconsHiddenByUs);
    Q_EMIT hiddenChanged(false);
}

void ShellDesktop::setIconsHidden(bool hide)
{
    if (hide)
        hideIcons();
    else
        restoreIcons();
}
