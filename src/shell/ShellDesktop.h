#pragma once

#include <QDeadlineTimer>
#include <QObject>

#include <memory>

class DesktopIconSwitch;
class QTimer;

// Hides the desktop's own icons while the program runs and gives them back when
// it ends. Only icons this program hid are shown again: icons the user hid
// before the start stay hidden. A run that ends without giving them back (a
// crash, SIGKILL) leaves a flag in the settings, and the next run takes the
// hidden icons over and gives them back at its end. A desktop that takes a
// while to switch (one that restarts) is followed from the event loop; what is
// asked meanwhile is done once it has finished.
class ShellDesktop : public QObject
{
    Q_OBJECT

public:
    // Attempts while the desktop is not reachable yet: one now, then up to
    // retryCount more, retryIntervalMs apart.
    static constexpr int retryIntervalMs = 500;
    static constexpr int retryCount = 60;
    // A desktop rebuilds its icon view for a while after the icons are given
    // back; hiding them again is held back until it has finished, rather than
    // tearing the view down in the middle of the rebuild.
    // The time of the last giving back is stored, so that a run started right
    // after the previous one ended waits too (its attempts count as retries).
    static constexpr qint64 settleMs = 3000;
    // Once the retries gave up for want of a desktop with a switch, how often
    // the session is looked at again for one that starts later, while someone
    // is shown whether there is one.
    static constexpr int lookAgainMs = 2000;
    // How long the end of the program waits for the icons to come back.
    static constexpr int giveBackWaitMs = 10000;

    explicit ShellDesktop(std::unique_ptr<DesktopIconSwitch> iconSwitch, QObject *parent = nullptr);
    // Gives the icons back, waiting up to giveBackWaitMs for a desktop that
    // takes a while (also for a switch still under way).
    ~ShellDesktop() override;

    bool isHidden() const { return m_hidden; }
    bool isRetrying() const;
    // True once the retries gave up and no desktop with a switch runs in this
    // session (or there is no switch at all); false while still looking.
    bool isSwitchMissing() const { return m_switchMissing; }
    // Fewer attempts than retryCount, for a caller that cannot wait 30 s.
    void setRetryCount(int count) { m_retryCount = count; }
    // While someone shows whether the switch is missing (the settings window),
    // a desktop that starts later is looked for; nobody else needs that answer.
    void setSwitchWatched(bool watched);
    bool isLooking() const;
    // Blocks until a switch under way has finished (and what was asked
    // meanwhile is done), or deadline passes.
    void finishSwitching(QDeadlineTimer deadline);

public Q_SLOTS:
    // Hides the icons now, or keeps trying for up to 30 s.
    void hideIcons();
    // Shows the icons again if this program hid them; always ends any retrying.
    void restoreIcons();
    void setIconsHidden(bool hide);

Q_SIGNALS:
    void hiddenChanged(bool hidden);
    void switchMissingChanged(bool missing);

private:
    bool settling() const;
    void attemptHide();
    void hidden(bool byUs);
    void hideFailed();
    void givenBack(bool sent, bool ok);
    void setSwitchMissing(bool missing);
    void updateLooking();
    void lookForSwitch();

    std::unique_ptr<DesktopIconSwitch> m_switch;
    QTimer *m_retryTimer = nullptr;
    QTimer *m_lookTimer = nullptr;
    int m_retriesLeft = 0;
    int m_retryCount = retryCount;
    bool m_wantHidden = false;
    bool m_switchMissing = false;
    bool m_hidden = false;
    bool m_hiddenByUs = false;
    // A toggle of the switch has not told its outcome yet.
    bool m_switching = false;
    bool m_watched = false;
};
