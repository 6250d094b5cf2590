#include "TodoController.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "frame/CompanionHost.h"
#include "frame/WindowRoom.h"
#include "shell/DesktopLayer.h"
#include "todo/TodoModel.h"
#include "todo/TodoPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

namespace {

// The list's first size; its height then follows the tasks.
constexpr QSize defaultSize{340, 420};

} // namespace

TodoController::TodoController(CompanionHost *panels, DesktopLayer *layer, const QString &path,
                               QObject *parent)
    : QObject(parent)
    , m_panels(panels)
    , m_layer(layer)
    , m_model(new TodoModel(path))
    , m_panel(new TodoPanel(m_model))
    , m_action(new QAction(this))
    , m_toolAction(new QAction(this))
    , m_wanted(Settings::instance()->value(SettingsKeys::todoVisible).toBool())
{
    L10n::bind(m_action, "text", "Show To-do list");
    m_action->setCheckable(true);
    m_action->setChecked(m_wanted);
    connect(m_action, &QAction::triggered, this, &TodoController::setVisible);
    // Among the tray's tools the entry names the tool, beside "Currency
    // converter"; it shows and follows the same wish.
    L10n::bind(m_toolAction, "text", "To-do list");
    m_toolAction->setCheckable(true);
    m_toolAction->setChecked(m_wanted);
    connect(m_toolAction, &QAction::triggered, this, &TodoController::setVisible);
    connect(m_action, &QAction::toggled, m_toolAction, &QAction::setChecked);

    m_panel->setGuideOverlay(m_panels->guideOverlay());
    m_panel->setPeerRectsProvider([this] { return m_panels->peerRects(m_panel); });
    // Clear of the panels and of the other feature windows.
    const QRect area = WindowRoom::workArea();
    m_panel->restorePanelGeometry(WindowRoom::freeSpot(
        defaultSize.boundedTo(area.size()), m_panel->minimumSize(), area, m_panels->occupiedRects(m_panel)));
    m_panel->setLayoutLocked(m_panels->isLayoutLocked());
    connect(m_panels, &CompanionHost::layoutLockChanged, m_panel, [this](bool locked) {
        m_panel->setLayoutLocked(locked);
        if (locked)
            m_panel->savePanelGeometry();
    });
    connect(m_panels, &CompanionHost::tidied, m_panel, &TodoPanel::savePanelGeometry);
    connect(m_panel, &TodoPanel::hideRequested, this, [this] { setVisible(false); });
    QCoreApplication::instance()->installEventFilter(this);
    // "Show all" brings the list back when the user wants it shown.
    m_panels->addCompanion(m_panel, [this] { return m_wanted; });
    if (m_layer)
        m_layer->track(m_panel, SettingsKeys::todoGroup);
}

TodoController::~TodoController()
{
    delete m_panel;
    delete m_model;
}

bool TodoController::eventFilter(QObject *watched, QEvent *event)
{
    // Quitting first closes every window, and a window that refuses stops the
    // quit. The panel refuses a close (it only hides), and that close would also
    // read as the user hiding the list: it steps aside before the closing starts.
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() && m_panel->isVisible()) {
        m_panel->hide();
        // Still running on the next turn of the loop: the quit was refused.
        QTimer::singleShot(0, m_panel, &QWidget::show);
    }
    return false;
}

void TodoController::showPanel()
{
    m_panels->companionShown();
    m_panel->show();
    if (m_layer)
        m_layer->reassert();
}

void TodoController::setVisible(bool visible)
{
    if (visible == m_wanted && (!visible || m_panel->isVisible())) {
        m_action->setChecked(visible);
        return;
    }
    m_wanted = visible;
    Settings::instance()->setValue(SettingsKeys::todoVisible, visible);
    m_action->setChecked(visible);
    if (visible) {
        showPanel();
        m_panel->raise();
        m_panel->activateWindow();
    } else {
        m_panel->savePanelGeometry();
        m_panel->hide();
        m_panels->companionHidden();
    }
    Q_EMIT visibilityChanged(visible);
}

void TodoController::setCompositing(bool composited)
{
    m_panel->setCompositing(composited);
}
