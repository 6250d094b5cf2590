#include "shell/DesktopLayer.h"

#include "base/AppStyle.h"
#include "base/Settings.h"
#include "base/l10n/L10n.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWidget>

#include <algorithm>

namespace {
// Height of a panel's title band, where the one-entry pin menu opens.
constexpr int headerMenuBand = 44;
} // namespace

DesktopLayer::DesktopLayer(bool topmostDefault, QObject *parent)
    : QObject(parent)
    , m_topmostDefault(topmostDefault)
{}

DesktopLayer::~DesktopLayer() = default;

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
    reassert();
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
    // A locked, pinned panel kept its place aside while it floated; unpinned it
    // goes back there.
    const QVariant locked = window->property(lockedPositionProperty);
    if (!on && locked.isValid()) {
        window->setProperty(lockedPositionProperty, QVariant());
        window->move(locked.toPoint());
    }
    reassert();
}

void DesktopLayer::reassert() {}

bool DesktopLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (widget && isTracked(widget) && widget->contextMenuPolicy() == Qt::DefaultContextMenu &&
            menuEvent->pos().y() < headerMenuBand) {
            if (QAction *action = actionOf(widget)) {
                QMenu menu(widget);
                menu.setStyleSheet(AppStyle::menuStyleSheet());
                menu.addAction(action);
                menu.exec(menuEvent->globalPos());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
