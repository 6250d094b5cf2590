#pragma once

#include "panels/DisplayArrangement.h"
#include "panels/PanelLayoutStore.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class CompanionWindows;
class IconPanel;
class QScreen;
class QWidget;

// Keeps the panel set's windows in the layout of the display arrangement in
// force. When screens come, go or change, the layout kept for the new
// arrangement is restored; a new arrangement starts from the closest known one,
// carried into the screens as they are now, and only it records the result.
// While an arrangement is in force, every move or resize of a window is
// recorded for it. The only place that reads the system's screens for this.
class ArrangementKeeper : public QObject
{
    Q_OBJECT

public:
    using PanelList = std::function<QList<IconPanel *>()>;

    // The companions are not owned and must outlive this object.
    ArrangementKeeper(PanelList panels, const CompanionWindows *companions, QObject *parent = nullptr);

    // Enters the arrangement of the screens connected now.
    void start();
    // A window of the set: recorded as it moves, and placed now when the
    // arrangement in force has a place for it.
    void watch(QWidget *window);

    // Records the windows' places now: they are about to go.
    void flush();

    // A restored or imported layout file replaces what was known: forget()
    // before the set remakes its windows from it, reenter() once they stand,
    // so they are placed by its records, not by those of before.
    void forget();
    void reenter();

    // The screens connected now.
    static DisplayArrangement::Screens currentScreens();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchScreen(QScreen *screen);
    void screensChanged();
    void enter();
    void record();
    void place(QWidget *window, const ArrangementRecords::WindowPlace &place) const;
    QString keyOf(const QWidget *window) const;
    QList<QWidget *> windows() const;

    PanelList m_panels;
    const CompanionWindows *m_companions;
    PanelLayoutStore::WindowPlaces m_places;
    DisplayArrangement::Screens m_screens;
    bool m_started = false;
    // Screens changed and the windows are not placed for them yet: nothing is recorded.
    bool m_changePending = false;
    QTimer m_enterSoon;
    QTimer m_recordSoon;
};
