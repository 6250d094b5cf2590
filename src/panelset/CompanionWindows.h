#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

// The feature windows that live among the panels (the to-do list, the currency
// converter): each with the feature's answer to whether it belongs on screen.
// Not owned; a window that is gone simply drops out.
class CompanionWindows
{
public:
    void add(QWidget *window, std::function<bool()> wanted);

    // Frames of the visible windows but `except`.
    QList<QRect> visibleRects(const QWidget *except) const;
    // Frames of the windows but `except` that belong on screen, shown yet or not.
    QList<QRect> wantedRects(const QWidget *except) const;
    bool anyVisible() const;
    // The windows that belong on screen, in the order they joined.
    QList<QWidget *> wantedWindows() const;
    // Every window, wanted or not, in the order they joined.
    QList<QWidget *> windows() const;
    // Shows the windows that belong on screen; returns them in order.
    QList<QWidget *> showWanted() const;
    // They keep their own geometry as they hide.
    void hideAll() const;

private:
    struct Companion
    {
        QPointer<QWidget> window;
        std::function<bool()> wanted;
    };
    QList<Companion> m_companions;
};
