#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWidget;

// Keeps the program's panel windows on the desktop layer: unpinned ones just
// above the desktop and below every application window, pinned ones ("Always on
// top") above everything. Each tracked window gets a checkable action named
// "panelAlwaysOnTop" whose check state is its pin state; windows with a settings
// group remember it as group + "/keepOnTop".
class DesktopLayer : public QObject
{
    Q_OBJECT

public:
    // The object name of every tracked window's "Always on top" action.
    static constexpr char alwaysOnTopActionName[] = "panelAlwaysOnTop";
    // Where a locked, pinned window was before it floated; it returns there when unpinned.
    static constexpr char lockedPositionProperty[] = "lockedPanelPosition";

    explicit DesktopLayer(bool topmostDefault, QObject *parent = nullptr);
    ~DesktopLayer() override;

    // Registers a window (once); an empty group means its pin state is not stored.
    void track(QWidget *window, const QString &group);
    void untrack(QWidget *window);
    void setKeepOnTop(QWidget *window, bool on);
    // Re-establishes the order now and keeps checking for a short while; for
    // callers that just showed, hid, arranged or re-created windows.
    void reassert();

    bool isTracked(const QWidget *window) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QPointer<QWidget> window;
        QString group;
    };
    QAction *actionOf(const QWidget *window) const;

    bool m_topmostDefault;
    QList<Entry> m_entries;
};
