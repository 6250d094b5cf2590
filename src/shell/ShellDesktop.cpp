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
    finishSwitching(QDeadlineTimer(giveBackWaitMs));
}

bool ShellDesktop::isRetrying() const
{
    return (m_retryTimer && m_retryTimer->isActive()) || (m_switching && m_wantHidden && !m_hidden);
}

bool ShellDesktop::isLooking() const
{
    return m_lookTimer && m_lookTimer->isActive();
}

bool ShellDesktop::settling() const
{
    const qint64 restoredAt = Settings::instance()->value(SettingsKeys::shellIconsRestoredAt).toLongLong();
    const qint64 since = QDateTime::currentMSecsSinceEpoch() - restoredAt;
    // A time far ahead (the clock was set back since) is no reason to wait.
    return restoredAt > 0 && since < settleMs && since > -settleMs;
}

void ShellDesktop::hideIcons()
{
    m_wantHidden = true;
    if (m_hidden || m_switching || isRetrying())
        return;
    m_retriesLeft = m_retryCount;
    attemptHide();
}

void ShellDesktop::attemptHide()
{
    if (m_switch && m_switch->iconsHiddenNow()) {
        // Icons found hidden belong to us only when an earlier run of ours hid them.
        hidden(Settings::instance()->value(SettingsKeys::shellIconsHiddenByUs).toBool());
        return;
    }
    if (!m_switch || settling()) {
        hideFailed();
        return;
    }
    m_switching = true;
    m_switch->toggleLater([this](bool ok) {
        m_switching = false;
        if (!ok) {
            hideFailed();
            return;
        }
        hidden(true);
        // Showing them was asked while they were being hidden.
        if (!m_wantHidden)
            restoreIcons();
    });
}

void ShellDesktop::hidden(bool byUs)
{
    if (m_retryTimer)
        m_retryTimer->stop();
    m_retriesLeft = 0;
    m_hiddenByUs = byUs;
    if (byUs)
        Settings::instance()->setValueNow(SettingsKeys::shellIconsHiddenByUs, true);
    m_hidden = true;
    setSwitchMissing(false);
    Q_EMIT hiddenChanged(true);
}

void ShellDesktop::hideFailed()
{
    if (!m_wantHidden)
        return;
    if (m_retriesLeft-- > 0) {
        if (!m_retryTimer) {
            m_retryTimer = new QTimer(this);
            m_retryTimer->setInterval(retryIntervalMs);
            m_retryTimer->setSingleShot(true);
            connect(m_retryTimer, &QTimer::timeout, this, &ShellDesktop::attemptHide);
        }
        m_retryTimer->start();
        return;
    }
    m_retriesLeft = 0;
    // A switch that is there but refused is not missing: only a session
    // without a desktop that has one is said to be.
    if (!m_switch || !m_switch->found())
        setSwitchMissing(true);
}

void ShellDesktop::setSwitchMissing(bool missing)
{
    const bool changed = m_switchMissing != missing;
    m_switchMissing = missing;
    updateLooking();
    if (changed)
        Q_EMIT switchMissingChanged(missing);
}

void ShellDesktop::setSwitchWatched(bool watched)
{
    m_watched = watched;
    updateLooking();
    // Whoever starts watching gets a fresh answer at once.
    if (isLooking())
        lookForSwitch();
}

void ShellDesktop::updateLooking()
{
    if (m_switchMissing && m_switch && m_watched) {
        if (!m_lookTimer) {
            m_lookTimer = new QTimer(this);
            m_lookTimer->setInterval(lookAgainMs);
            connect(m_lookTimer, &QTimer::timeout, this, &ShellDesktop::lookForSwitch);
        }
        if (!m_lookTimer->isActive())
            m_lookTimer->start();
    } else if (m_lookTimer) {
        m_lookTimer->stop();
    }
}

void ShellDesktop::lookForSwitch()
{
    if (m_switching || !m_switch->found())
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
    // A switch under way is followed up once it has told its outcome.
    if (m_switching || !m_hidden)
        return;
    m_hidden = false;
    Q_EMIT hiddenChanged(false);
    // When the user showed the icons by hand meanwhile, nothing is sent.
    if (!m_hiddenByUs || !m_switch || !m_switch->iconsHiddenNow()) {
        givenBack(false, true);
        return;
    }
    m_switching = true;
    m_switch->toggleLater([this](bool ok) {
        m_switching = false;
        givenBack(true, ok || m_switch->showDirectly());
        // Hiding them again was asked while they were being given back.
        if (m_wantHidden)
            hideIcons();
    });
}

void ShellDesktop::givenBack(bool sent, bool ok)
{
    if (sent && ok)
        Settings::instance()->setValue(SettingsKeys::shellIconsRestoredAt,
                                       QDateTime::currentMSecsSinceEpoch());
    m_hiddenByUs = false;
    // Icons we could not give back (the desktop was unreachable at the end)
    // keep the flag, so the next run takes them over and gives them back;
    // dropping it would leave them hidden for good.
    if (ok)
        Settings::instance()->remove(SettingsKeys::shellIconsHiddenByUs);
}

void ShellDesktop::finishSwitching(QDeadlineTimer deadline)
{
    while (m_switching && !deadline.hasExpired())
        m_switch->finish(deadline);
}

void ShellDesktop::setIconsHidden(bool hide)
{
    if (hide)
        hideIcons();
    else
        restoreIcons();
}
