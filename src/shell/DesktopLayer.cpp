#include "shell/DesktopLayer.h"

#include "base/Settings.h"
#include "base/l10n/L10n.h"
#include "look/AppStyle.h"
#include "shell/WindowStacking.h"

#include <QAction>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
// The layer in use; the program has one.
const DesktopLayer *currentLayer = nullptr;
} // namespace

DesktopLayer::DesktopLayer(WindowStacking *stacking, bool topmostDefault, QObject *parent)
    : QObject(parent)
    , m_stacking(stacking)
    , m_topmostDefault(topmostDefault)
    , m_burstTimer(new QTimer(this))
    , m_periodicTimer(new QTimer(this))
    , m_layersCheck(new QTimer(this))
    , m_turnTimer(new QTimer(this))
{
    m_turnTimer->setSingleShot(true);
    m_turnTimer->setInterval(0);
    connect(m_turnTimer, &QTimer::timeout, this, &DesktopLayer::restack);
    currentLayer = this;
    m_stacking->setParent(this);
    m_burstTimer->setInterval(burstMs);
    connect(m_burstTimer, &QTimer::timeout, this, &DesktopLayer::burstStep);
    m_periodicTimer->setInterval(checkMs);
    connect(m_periodicTimer, &QTimer::timeout, this, &DesktopLayer::restack);
    m_periodicTimer->start();
    // Another program's window came forward and may now cover the desktop
    // layer in a way the window manager left half done.
    connect(m_stacking, &WindowStacking::foregroundChanged, this, &DesktopLayer::reassert);
    m_layersCheck->setSingleShot(true);
    m_layersCheck->setInterval(layersCheckMs);
    connect(m_layersCheck, &QTimer::timeout, this, [this] {
        if (!m_stacking->keepsLayers())
            Q_EMIT layersFoundMissing();
    });
    m_layersCheck->start();
}

DesktopLayer::~DesktopLayer()
{
    if (currentLayer == this)
        currentLayer = nullptr;
}

bool DesktopLayer::windowPositionsKnown()
{
    return !currentLayer || currentLayer->m_stacking->knowsWindowPositions();
}

int DesktopLayer::checkInterval() const
{
    return m_periodicTimer->interval();
}

bool DesktopLayer::isBurstRunning() const
{
    return m_burstTimer->isActive();
}

bool DesktopLayer::isTracked(const QWidget *window) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [window](const Entry &e) { return e.window && e.window == window; });
}

QAction *DesktopLayer::actionOf(const QWidget *window) const
{
    return window ? window->findChild<QAction *>(QLatin1String(alwaysOnTopActionName),
                                                 Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool DesktopLayer::isPinned(const QWidget *window) const
{
    const QAction *action = actionOf(window);
    return action && action->isChecked();
}

void DesktopLayer::track(QWidget *window, const QString &group)
{
    if (!window || isTracked(window))
        return;
    m_entries.append({window, group});

    auto *action = new QAction(window);
    action->setObjectName(QLatin1String(alwaysOnTopActionName));
    action->setCheckable(true);
    L10n::bind(action, "text", "Always on top");
    const bool pinned =
        group.isEmpty()
            ? m_topmostDefault
            : Settings::instance()->value(group + SettingsKeys::keepOnTop, m_topmostDefault).toBool();
    action->setChecked(pinned);
    window->addAction(action);
    window->installEventFilter(this);
    connect(action, &QAction::triggered, this, [this, window, group](bool checked) {
        setKeepOnTop(window, checked);
        if (!group.isEmpty())
            Settings::instance()->setValue(group + SettingsKeys::keepOnTop, checked);
    });
    // A window that already has its native window missed the moment it was made.
    if (window->internalWinId())
        preparePanel(window);
    requestRestack();
}

void DesktopLayer::untrack(QWidget *window)
{
    m_entries.removeIf([window](const Entry &e) { return !e.window || e.window == window; });
    if (window)
        window->removeEventFilter(this);
}

void DesktopLayer::setKeepOnTop(QWidget *window, bool on)
{
    if (!isTracked(window))
        return;
    if (QAction *action = actionOf(window))
        action->setChecked(on);
    if (const WId id = window->internalWinId())
        m_stacking->setLayer(id, on ? WindowStacking::Layer::KeepAbove : WindowStacking::Layer::KeepBelow);
    // A locked, pinned panel kept its place aside while it floated; unpinned it
    // goes back there.
    const QVariant locked = window->property(lockedPositionProperty);
    if (!on && locked.isValid()) {
        window->setProperty(lockedPositionProperty, QVariant());
        window->move(locked.toPoint());
    }
    m_failedPasses = 0;
    m_periodicTimer->setInterval(checkMs);
    reassert();
}

void DesktopLayer::reassert()
{
    requestRestack();
    startBurst();
}

// Every pass asks the window manager for the stacking order and each window's
// state, one round trip at a time: the windows made and shown in one turn of
// the event loop (all of them at start) are put in order by one pass after it.
void DesktopLayer::requestRestack()
{
    m_turnTimer->start();
}

void DesktopLayer::startBurst()
{
    m_burstTicks = burstPasses;
    m_burstTimer->start();
}

void DesktopLayer::burstStep()
{
    restack();
    if (--m_burstTicks < 1)
        m_burstTimer->stop();
}

void DesktopLayer::preparePanel(QWidget *window)
{
    m_stacking->preparePanel(window->internalWinId(), isPinned(window) ? WindowStacking::Layer::KeepAbove
                                                                       : WindowStacking::Layer::KeepBelow);
}

QList<WId> DesktopLayer::shownAboveReference(qsizetype count) const
{
    const QList<WId> order = m_stacking->stackingOrder();
    // Without a desktop window of its own the session's reference is the bottom.
    const qsizetype reference = order.indexOf(m_stacking->desktopWindow());
    QList<WId> above;
    for (qsizetype i = reference + 1; i < order.size() && above.size() < count; ++i) {
        // Minimised windows and those of other workspaces are not on screen, so
        // they cannot come between the desktop and a panel.
        if (m_stacking->isShown(order.at(i)))
            above.append(order.at(i));
    }
    return above;
}

bool DesktopLayer::isOrderRight(const QList<WId> &desktopLevel) const
{
    const qsizetype n = desktopLevel.size();
    const QList<WId> above = shownAboveReference(n);
    if (above.size() != n)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        if (above.at(i) != desktopLevel.at(n - 1 - i))
            return false;
    }
    return true;
}

void DesktopLayer::restack()
{
    m_entries.removeIf([](const Entry &e) { return !e.window; });
    if (!m_stacking->isAvailable())
        return;

    QList<WId> desktopLevel;
    for (const Entry &entry : std::as_const(m_entries)) {
        const QWidget *window = entry.window;
        const WId id = window->internalWinId();
        if (!window->isVisible() || !id)
            continue;
        const WindowStacking::Layer wanted =
            isPinned(window) ? WindowStacking::Layer::KeepAbove : WindowStacking::Layer::KeepBelow;
        if (m_stacking->layer(id) != wanted)
            m_stacking->setLayer(id, wanted);
        if (wanted == WindowStacking::Layer::KeepBelow)
            desktopLevel.append(id);
    }
    // While one of our own windows is in front (a drag inside a panel, say)
    // the user is working with it; it must not sink under them.
    if (desktopLevel.isEmpty() || m_stacking->isOwnWindowActive())
        return;

    if (isOrderRight(desktopLevel)) {
        if (m_failedPasses != 0) {
            m_failedPasses = 0;
            m_periodicTimer->setInterval(checkMs);
        }
        return;
    }
    // Each window goes directly above the desktop, under those placed before it.
    const WId desktop = m_stacking->desktopWindow();
    for (const WId id : std::as_const(desktopLevel))
        m_stacking->restackAbove(id, desktop);
    m_stacking->waitForWindowManager();
    if (isOrderRight(desktopLevel)) {
        m_failedPasses = 0;
        return;
    }
    // Something keeps the order from holding; asking again every few hundred
    // milliseconds would only keep the window manager busy.
    m_burstTimer->stop();
    if (m_failedPasses < failuresBeforeSlowing && ++m_failedPasses == failuresBeforeSlowing)
        m_periodicTimer->setInterval(slowCheckMs);
}

bool DesktopLayer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::WinIdChange:
    case QEvent::Show:
        // A new native window, or one about to be mapped again after the window
        // manager let it go: either way it knows nothing of our hints yet.
        if (auto *widget = qobject_cast<QWidget *>(watched); widget && widget->internalWinId())
            preparePanel(widget);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
