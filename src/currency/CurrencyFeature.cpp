#include "CurrencyFeature.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyPanel.h"
#include "currency/fetch/RateEndpoint.h"
#include "frame/CompanionHost.h"
#include "frame/ScreenFit.h"
#include "frame/WindowRoom.h"
#include "shell/DesktopLayer.h"

#include <QAction>
#include <QEvent>

namespace {

bool wanted()
{
    return Settings::instance()->value(SettingsKeys::currencyVisible).toBool();
}

} // namespace

CurrencyFeature::CurrencyFeature(CompanionHost *panels, DesktopLayer *layer, CompositorWatch *compositor,
                                 QObject *parent)
    : QObject(parent)
    , m_panels(panels)
    , m_layer(layer)
    , m_panel(new CurrencyPanel(RateEndpoint::fromEnvironment(), compositor))
    , m_action(new QAction(this))
{
    L10n::bind(m_action, "text", "Currency converter");
    m_action->setCheckable(true);
    connect(m_action, &QAction::triggered, this, &CurrencyFeature::setVisible);

    m_panel->setGuideOverlay(panels->guideOverlay());
    m_panel->setPeerProvider([panels, panel = m_panel] { return panels->peerRects(panel); });
    if (m_panel->restorePanelGeometry(defaultGeometry())) {
        // Screens change between runs: a converter that no longer fits is pulled inside.
        m_panel->setGeometry(
            ScreenFit::fitInside(m_panel->geometry(), ScreenFit::availableAreas(), m_panel->minimumSize()));
    }
    m_panel->setLayoutLocked(panels->isLayoutLocked());
    connect(panels, &CompanionHost::layoutLockChanged, m_panel, [panel = m_panel](bool locked) {
        panel->setLayoutLocked(locked);
        if (locked)
            panel->storePanelGeometry();
    });
    connect(panels, &CompanionHost::tidied, m_panel, &CurrencyPanel::storePanelGeometry);
    connect(m_panel, &CurrencyPanel::hideRequested, this, [this] { setVisible(false); });
    panels->addCompanion(m_panel, wanted);
    if (m_layer)
        m_layer->track(m_panel, SettingsKeys::currencyGroup);
    m_action->setChecked(m_panel->isVisible());
    // The action shows whether the panel is on screen, however it got there or went away.
    m_panel->installEventFilter(this);
}

bool CurrencyFeature::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        m_action->setChecked(event->type() == QEvent::Show);
    return false;
}

CurrencyFeature::~CurrencyFeature()
{
    if (m_layer)
        m_layer->untrack(m_panel);
    delete m_panel;
}

bool CurrencyFeature::isVisible() const
{
    return m_panel->isVisible();
}

void CurrencyFeature::setVisible(bool visible)
{
    Settings::instance()->setValue(SettingsKeys::currencyVisible, visible);
    if (visible) {
        m_panels->companionShown();
        m_panel->show();
        m_panel->raise();
        m_panel->activateWindow();
        if (m_layer)
            m_layer->reassert();
    } else {
        m_panel->hide();
        m_panels->companionHidden();
    }
    Q_EMIT visibilityChanged(visible);
}

QRect CurrencyFeature::defaultGeometry() const
{
    return WindowRoom::freeSpot(CurrencyPanel::defaultPanelSize, m_panel->minimumSize(),
                                WindowRoom::workArea(), m_panels->occupiedRects(m_panel));
}
