#pragma once

#include <QList>
#include <QObject>
#include <QRect>

#include <functional>

class GuideOverlay;
class QWidget;

// What a feature's own window (the to-do list, the currency converter) needs of
// the windows it lives among: joining them, counting as shown or hidden with
// them, the room they take, and their shared lock and tidy. The panel set
// answers; the features see no more of it than this.
class CompanionHost : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // A window that shows, hides and counts with the panels and is a peer for
    // snapping; `wanted` says whether it belongs on screen when all panels
    // show. The host does not own it.
    virtual void addCompanion(QWidget *window, std::function<bool()> wanted) = 0;
    // A companion is about to show, or hid itself: it counts like a panel shown
    // or hidden. One about to show first moves off any window it would cover.
    virtual void companionShown() = 0;
    virtual void companionHidden() = 0;
    // The windows another window snaps to: every visible one but `except`.
    virtual QList<QRect> peerRects(const QWidget *except) const = 0;
    // Where a window's default place must not be: every window but `except`
    // that belongs on screen, shown yet or not.
    virtual QList<QRect> occupiedRects(const QWidget *except) const = 0;
    virtual bool isLayoutLocked() const = 0;
    // The snap guides every window of the set draws on.
    virtual GuideOverlay *guideOverlay() const = 0;

Q_SIGNALS:
    void layoutLockChanged(bool locked);
    // "Tidy panels" re-arranged the windows: companions were placed afresh.
    void tidied();
};
