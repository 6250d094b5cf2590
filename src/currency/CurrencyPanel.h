#pragma once

#include "frame/FrameController.h"

#include <QWidget>

class CurrencyAmountEdit;
class CompositorShape;
class CompositorWatch;
class CurrencyButton;
class CurrencyCombo;
class CurrencyConverter;
class GuideOverlay;
class HoverTracker;
class QLabel;
class QPushButton;
class QTimer;
class RateClient;

// A small floating converter between two currencies at the daily reference
// rate, with the frame of every panel window: moved by its top band, resized
// by its edges and grip, snapping, locking and remembering where it stood.
// Closing only hides it; its owner is told and decides.
class CurrencyPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize minimumPanelSize{280, 210};
    static constexpr QSize defaultPanelSize{300, 214};
    static constexpr int refreshIntervalMs = 60 * 60 * 1000;
    // Generation of the stored geometry. An older one keeps its place and
    // takes the default size, which its smaller layout did not have.
    static constexpr int layoutVersion = 2;

    static constexpr int cornerRadius = 16;

    // base: where rates come from (see RateEndpoint). compositor: the program's
    // watch, which this panel and its lists follow (see CompositorShape).
    explicit CurrencyPanel(const QUrl &base, CompositorWatch *compositor = nullptr,
                           QWidget *parent = nullptr);
    ~CurrencyPanel() override;

    void setGuideOverlay(GuideOverlay *overlay);
    void setPeerProvider(FrameController::PeerProvider provider);
    // The stored geometry, or `fallback` when there is none that fits a screen.
    bool restorePanelGeometry(const QRect &fallback);
    void storePanelGeometry();
    void setLayoutLocked(bool locked);
    bool isLayoutLocked() const;

    CurrencyConverter *converter() const { return m_converter; }
    RateClient *rateClient() const { return m_client; }

Q_SIGNALS:
    // The user closed the panel; it is hidden already.
    void hideRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi(CompositorWatch *compositor);
    void placeGrip();

    RateClient *m_client;
    FrameController *m_frame;
    CompositorShape *m_shape;
    CurrencyAmountEdit *m_amount = nullptr;
    CurrencyAmountEdit *m_result = nullptr;
    CurrencyCombo *m_from = nullptr;
    CurrencyCombo *m_to = nullptr;
    CurrencyButton *m_swap = nullptr;
    CurrencyButton *m_refresh = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_rateLine = nullptr;
    QLabel *m_status = nullptr;
    QWidget *m_grip = nullptr;
    HoverTracker *m_hover = nullptr;
    QTimer *m_hourly;
    CurrencyConverter *m_converter = nullptr;
    bool m_quitting = false;
};
