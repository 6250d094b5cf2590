#include "CurrencyPanel.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/StartupHold.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyAmountEdit.h"
#include "currency/CurrencyButton.h"
#include "currency/CurrencyCombo.h"
#include "currency/CurrencyConverter.h"
#include "currency/CurrencyHeaderIcon.h"
#include "currency/CurrencyStyle.h"
#include "currency/RateClient.h"
#include "frame/CompositorShape.h"
#include "frame/GlyphButton.h"
#include "frame/HoverTracker.h"
#include "frame/PanelFrame.h"
#include "frame/PanelStyle.h"
#include "frame/ResizeGrip.h"
#include "look/AppStyle.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int gripSize = 20;

constexpr int footerPixelSize = 11;
constexpr QColor statusText{0x9a, 0xa8, 0xba};

} // namespace

CurrencyPanel::CurrencyPanel(const QUrl &base, CompositorWatch *compositor, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_client(new RateClient(base, this))
    , m_frame(new FrameController(this))
    , m_shape(new CompositorShape(this, compositor,
                                  [](QSize size) { return PanelStyle::roundedShape(size, cornerRadius); }))
    , m_hourly(new QTimer(this))
{
    PanelFrame::prepareWindow(this, false);
    L10n::bind(this, "windowTitle", "Currency conversion");
    setMinimumSize(minimumPanelSize);
    setFont(AppStyle::appFont());
    buildUi(compositor);

    m_converter = new CurrencyConverter({m_amount, m_result, m_from, m_to, m_rateLine, m_status, m_refresh},
                                        m_client, this);
    connect(m_swap, &QPushButton::clicked, m_converter, &CurrencyConverter::swap);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    m_hourly->setInterval(refreshIntervalMs);
    connect(m_hourly, &QTimer::timeout, this, [this] {
        if (isVisible())
            m_converter->refreshRate();
    });
    m_hourly->start();

    // Qt asks every window to close before the program quits, and one that
    // refuses cancels the quit: this panel refuses only the user's closing.
    QCoreApplication::instance()->installEventFilter(this);

    m_frame->setGeometryStore([this] {
        Settings::instance()->setValue(SettingsKeys::currencyGeometry, saveGeometry());
        Settings::instance()->setValue(SettingsKeys::currencyLayoutVersion, layoutVersion);
    });
}

CurrencyPanel::~CurrencyPanel()
{
    // QWidget's destructor still hides the window; the tracker must not report
    // that to this half-destroyed panel.
    disconnect(m_hover, nullptr, this, nullptr);
}

void CurrencyPanel::buildUi(CompositorWatch *compositor)
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(16, 6, 16, 12);
    main->setSpacing(5);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new CurrencyHeaderIcon(this), 0, Qt::AlignVCenter);
    auto *title = new QLabel(this);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    L10n::bind(title, "text", "Currency");
    AppStyle::setTextColor(title, CurrencyStyle::text);
    header->addWidget(title);
    header->addStretch();
    m_close = GlyphButton::createClose(this);
    m_close->setObjectName(QStringLiteral("currencyClose"));
    m_close->setFixedSize(26, 28);
    m_close->setFocusPolicy(Qt::NoFocus);
    L10n::bind(m_close, "toolTip", "Hide currency panel");
    L10n::bind(m_close, "accessibleName", "Hide currency panel");
    // The title must not move when the button appears.
    QSizePolicy keep = m_close->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_close->setSizePolicy(keep);
    m_close->hide();
    header->addWidget(m_close);
    main->addLayout(header);

    auto *amountRow = new QHBoxLayout;
    amountRow->setSpacing(10);
    m_amount = new CurrencyAmountEdit(this);
    m_amount->setObjectName(QStringLiteral("currencyAmount"));
    L10n::bind(m_amount, "accessibleName", "Amount to convert");
    m_from = new CurrencyCombo(compositor, this);
    m_from->setObjectName(QStringLiteral("currencyFrom"));
    m_from->bindName("From currency");
    amountRow->addWidget(m_amount, 1);
    amountRow->addWidget(m_from);
    main->addLayout(amountRow);

    m_swap = new CurrencyButton(CurrencyButton::Swap, false, this);
    m_swap->setObjectName(QStringLiteral("currencySwap"));
    m_swap->setFixedSize(24, 22);
    L10n::bind(m_swap, "toolTip", "Swap currencies");
    L10n::bind(m_swap, "accessibleName", "Swap currencies");
    main->addWidget(m_swap, 0, Qt::AlignHCenter);

    auto *resultRow = new QHBoxLayout;
    resultRow->setSpacing(10);
    m_result = new CurrencyAmountEdit(this);
    m_result->setObjectName(QStringLiteral("currencyResult"));
    m_result->setSizePolicy(QSizePolicy::Ignored, m_result->sizePolicy().verticalPolicy());
    L10n::bind(m_result, "accessibleName", "Converted amount");
    m_to = new CurrencyCombo(compositor, this);
    m_to->setObjectName(QStringLiteral("currencyTo"));
    m_to->bindName("To currency");
    resultRow->addWidget(m_result, 1);
    resultRow->addWidget(m_to);
    main->addLayout(resultRow);
    main->addStretch();

    auto *footer = new QHBoxLayout;
    auto *lines = new QVBoxLayout;
    lines->setSpacing(2);
    m_rateLine = new QLabel(this);
    m_rateLine->setObjectName(QStringLiteral("currencyRate"));
    m_rateLine->setFont(AppStyle::appFont(footerPixelSize));
    AppStyle::setTextColor(m_rateLine, CurrencyStyle::secondaryText);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("currencyStatus"));
    m_status->setWordWrap(true);
    m_status->setFont(AppStyle::appFont(footerPixelSize));
    AppStyle::setTextColor(m_status, statusText);
    lines->addWidget(m_rateLine);
    lines->addWidget(m_status);
    footer->addLayout(lines, 1);
    m_refresh = new CurrencyButton(CurrencyButton::Refresh, false, this);
    m_refresh->setObjectName(QStringLiteral("currencyRefresh"));
    m_refresh->setFixedSize(28, 28);
    L10n::bind(m_refresh, "toolTip", "Refresh exchange rate");
    L10n::bind(m_refresh, "accessibleName", "Refresh exchange rate");
    footer->addWidget(m_refresh);
    main->addLayout(footer);

    for (QWidget *child : findChildren<QWidget *>())
        child->setCursor(Qt::ArrowCursor);

    auto *grip = new PanelResize::Grip(this);
    grip->setFixedSize(gripSize, gripSize);
    m_grip = grip;
    m_frame->attachGrip(m_grip);

    m_hover = new HoverTracker(this);
    m_hover->watchChildren();
    connect(m_hover, &HoverTracker::hoverChanged, m_close, &QWidget::setVisible);
}

void CurrencyPanel::setGuideOverlay(GuideOverlay *overlay)
{
    m_frame->setGuideOverlay(overlay);
}

void CurrencyPanel::setPeerProvider(FrameController::PeerProvider provider)
{
    m_frame->setPeerProvider(std::move(provider));
}

bool CurrencyPanel::restorePanelGeometry(const QRect &fallback)
{
    Settings *settings = Settings::instance();
    const QByteArray stored = settings->value(SettingsKeys::currencyGeometry).toByteArray();
    const bool restored = !stored.isEmpty() && restoreGeometry(stored);
    if (!restored)
        setGeometry(fallback);
    if (settings->value(SettingsKeys::currencyLayoutVersion).toInt() < layoutVersion) {
        resize(defaultPanelSize);
        storePanelGeometry();
    }
    return restored;
}

void CurrencyPanel::storePanelGeometry()
{
    m_frame->storeGeometry();
}

void CurrencyPanel::setLayoutLocked(bool locked)
{
    m_frame->setLocked(locked);
}

bool CurrencyPanel::isLayoutLocked() const
{
    return m_frame->isLocked();
}

void CurrencyPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Without a compositing manager the window is cut to its outline and paints solid.
    const bool composited = m_shape->isComposited();
    p.setPen(QColor(106, 116, 136, composited ? 200 : 255));
    p.setBrush(QColor(28, 31, 38, composited ? 220 : 255));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

void CurrencyPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeGrip();
}

void CurrencyPanel::placeGrip()
{
    m_grip->move(width() - gripSize, height() - gripSize);
    m_grip->raise();
}

void CurrencyPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Every showing fetches today's rate; the cached one shows meanwhile. The
    // request starts a program: not before this window is on its way to the
    // screen, and at start-up not before the program's windows are there.
    if (!event->spontaneous())
        StartupHold::whenReleased(m_converter, [converter = m_converter] {
            QTimer::singleShot(0, converter, &CurrencyConverter::refreshRate);
        });
}

void CurrencyPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        storePanelGeometry();
}

bool CurrencyPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
        m_quitting = true;
        // Still running on the next turn: another window cancelled the quit.
        QTimer::singleShot(0, this, [this] { m_quitting = false; });
    }
    return false;
}

void CurrencyPanel::closeEvent(QCloseEvent *event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    // The window stays; whoever owns it decides what hiding it means.
    event->ignore();
    hide();
    Q_EMIT hideRequested();
}
