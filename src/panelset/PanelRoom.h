#pragma once

#include <QList>
#include <QRect>

#include <functional>

class CompanionWindows;
class IconPanel;
class QWidget;

// The room each window of the panel set has among the others: what a window
// snaps to, where a default place must not be, where an icon panel goes when
// its presentation changed its size without covering its neighbours, and the
// single panel's first place.
class PanelRoom
{
public:
    using PanelList = std::function<QList<IconPanel *>()>;

    // The companions are not owned and must outlive this object.
    PanelRoom(PanelList panels, const CompanionWindows *companions);

    // Every visible window but `except`.
    QList<QRect> peerRects(const QWidget *except) const;
    // Every icon panel (expanded) and every companion but `except` that belongs
    // on screen, shown yet or not.
    QList<QRect> occupiedRects(const QWidget *except) const;
    // Resizes a panel to the size it now prefers, kept on the work area and,
    // when it would cover another panel, moved to the nearest room that holds it.
    void fitAfterViewChange(IconPanel *panel) const;
    // Moves the companions that belong on screen into room no icon panel and no
    // earlier companion uses: all of them, or only those covering another window.
    void placeCompanions(bool all) const;

    // Where the one panel of single mode first goes: a tall column at the top
    // right of the primary screen.
    static QRect singlePanelPlace();

private:
    // Every other icon panel's room, rolled-up ones at their full height, and
    // every companion's that belongs on screen.
    QList<QRect> otherPanelRects(const IconPanel *except) const;

    PanelList m_panels;
    const CompanionWindows *m_companions;
};
