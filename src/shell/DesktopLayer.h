#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <qwindowdefs.h>

class QAction;
class QTimer;
class QWidget;
class WindowStacking;

// Keeps the program's panel windows on the desktop layer: unpinned ones just
// above the desktop and below every application window, pinned ones ("Always on
// top") above everything. Each tracked window gets a checkable action named
// "panelAlwaysOnTop" whose check state is its pin state; windows with a settings
// group remember it as group + "/keepOnTop". Where the user reaches that action
// is the windows' own business.
class DesktopLayer : public QObject
{
    Q_OBJECT

public:
    // The object name of every tracked window's "Always on top" action.
    static constexpr char alwaysOnTopActionName[] = "panelAlwaysOnTop";
    // Where a locked, pinned window was before it floated; it returns there when unpinned.
    static constexpr char lockedPositionProperty[] = "lockedPanelPosition";
    // The steady check, and its pace once the order could not be established
    // this many times in a row.
    static constexpr int checkMs = 300;
    static constexpr int slowCheckMs = 5000;
    static constexpr int failuresBeforeSlowing = 4;
    // The quick passes after a change, while the window manager and the other
    // program are still arranging their windows.
    static constexpr int burstMs = 20;
    static constexpr int burstPasses = 40;
    // When the window manager's layers are looked at, once: late enough for one
    // started along with the program at sign-in.
    static constexpr int layersCheckMs = 3000;
    // Said once when the window manager has no layers.
    static constexpr char layersMissingText[] =
        "This window manager cannot keep the panels beneath other windows: they float above applications.";

    // Stacks through the given backend, which the layer adopts as its child.
    DesktopLayer(WindowStacking *stacking, bool topmostDefault, QObject *parent = nullptr);
    ~DesktopLayer() override;

    // Registers a window (once); an empty group means its pin state is not stored.
    void track(QWidget *window, const QString &group);
    void untrack(QWidget *window);
    void setKeepOnTop(QWidget *window, bool on);
    // Re-establishes the order now and keeps checking for a short while; for
    // callers that just showed, hid, arranged or re-created windows.
    void reassert();

    bool isTracked(const QWidget *window) const;

    // Whether window positions may be read and stored in this run: false while
    // a desktop layer exists whose window system never tells where windows are.
    static bool windowPositionsKnown();

    // One pass: pinned windows kept above everything, the others repaired into
    // their order just above the desktop when they left it.
    void restack();
    // Consecutive passes that could not establish the order (at most four).
    int failedPasses() const { return m_failedPasses; }
    // The steady check's current interval in milliseconds.
    int checkInterval() const;
    bool isBurstRunning() const;

Q_SIGNALS:
    // The window manager was found to keep no layers: panels float among the
    // applications' windows. Emitted at most once.
    void layersFoundMissing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QPointer<QWidget> window;
        QString group;
    };
    QAction *actionOf(const QWidget *window) const;
    bool isPinned(const QWidget *window) const;
    // One pass at the next turn of the event loop, however often asked in this one.
    void requestRestack();
    void startBurst();
    void burstStep();
    void preparePanel(QWidget *window);
    // Whether the desktop-level windows lie directly above the reference, the
    // last one lowest.
    bool isOrderRight(const QList<WId> &desktopLevel) const;
    QList<WId> shownAboveReference(qsizetype count) const;

    WindowStacking *m_stacking;
    bool m_topmostDefault;
    QList<Entry> m_entries;
    QTimer *m_burstTimer;
    QTimer *m_periodicTimer;
    QTimer *m_layersCheck;
    QTimer *m_turnTimer;
    int m_burstTicks = 0;
    int m_failedPasses = 0;
};
