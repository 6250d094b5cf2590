#include "shell/ShellDesktop.h"

#include "base/Settings.h"
#include "shell/DesktopIconSwitch.h"

#include <QDateTime>
#include <QTimer>

ShellDesktop::ShellDesktop(std::unique_ptr<DesktopIconSwitch> iconSwitch, QObject *parent)
    : QObject(parent)
    , m_switch(std::move(iconSwitch))
    , m_switchMissing(!m_switch)
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
    setSwitchMissing(false);
    Q_EMIT hiddenChanged(true);
    return true;
}

void ShellDesktop::hideIcons()
{
    m_wantHidden = true;
    if (m_hidden || tryHide() || isRetrying())
        return;
    if (!m_retryTimer) {
        m_retryTimer = new QTimer(this);
        m_retryTimer->setInterval(retryIntervalMs);
        connect(m_retryTimer, &QTimer::timeout, this, &ShellDesktop::retry);
    }
    m_retriesLeft = m_retryCount;
    m_retryTimer->start();
}

void ShellDesktop::retry()
{
    if (tryHide())
        return;
    if (--m_retriesLeft < 1) {
        m_retryTimer->stop();
        m_retriesLeft = 0;
        // A switch that is there but refused is not missing: only a session
        // without a desktop that has one is said to be.
        if (!m_switch || !m_switch->found())
            setSwitchMissing(true);
    }
}

void ShellDesktop::setSwitchMissing(bool missing)
{
    if (missing && m_switch) {
        if (!m_lookTimer) {
            m_lookTimer = new QTimer(this);
            m_lookTimer->setInterval(lookAgainMs);
            connect(m_lookTimer, &QTimer::timeout, this, &ShellDesktop::lookForSwitch);
        }
        m_lookTimer->start();
    } else if (m_lookTimer) {
        m_lookTimer->stop();
    }
    if (m_switchMissing == missing)
        return;
    m_switchMissing = missing;
    Q_EMIT switchMissingChanged(missing);
}

void ShellDesktop::lookForSwitch()
{
    if (!m_switch->found())
        return;
    setSwitchMissing(false);
    // The icons were asked to be hidden all along: the desktop that came late gets that asked too.
    if (m_wantHidden && !m_hidden)
        hideIcons();
}

void ShellDesktop::restoreIcons()
{
    m_wantHidden = false;
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
