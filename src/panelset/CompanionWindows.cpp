#include "panelset/CompanionWindows.h"

#include <algorithm>

void CompanionWindows::add(QWidget *window, std::function<bool()> wanted)
{
    m_companions.append({window, std::move(wanted)});
}

QList<QRect> CompanionWindows::visibleRects(const QWidget *except) const
{
    QList<QRect> rects;
    for (const Companion &c : m_companions) {
        if (c.window && c.window != except && c.window->isVisible())
            rects.append(c.window->frameGeometry());
    }
    return rects;
}

QList<QRect> CompanionWindows::wantedRects(const QWidget *except) const
{
    QList<QRect> rects;
    for (const Companion &c : m_companions) {
        if (c.window && c.window != except && c.wanted())
            rects.append(c.window->frameGeometry());
    }
    return rects;
}

bool CompanionWindows::anyVisible() const
{
    return std::any_of(m_companions.cbegin(), m_companions.cend(),
                       [](const Companion &c) { return c.window && c.window->isVisible(); });
}

QList<QWidget *> CompanionWindows::wantedWindows() const
{
    QList<QWidget *> windows;
    for (const Companion &c : m_companions) {
        if (c.window && c.wanted())
            windows.append(c.window);
    }
    return windows;
}

QList<QWidget *> CompanionWindows::windows() const
{
    QList<QWidget *> result;
    for (const Companion &c : m_companions) {
        if (c.window)
            result.append(c.window);
    }
    return result;
}

QList<QWidget *> CompanionWindows::showWanted() const
{
    QList<QWidget *> shown;
    for (const Companion &c : m_companions) {
        if (c.window && c.wanted()) {
            c.window->show();
            shown.append(c.window);
        }
    }
    return shown;
}

void CompanionWindows::hideAll() const
{
    for (const Companion &c : m_companions) {
        if (c.window)
            c.window->hide();
    }
}
