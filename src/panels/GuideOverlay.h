#pragma once

#include "panels/Snapping.h"

#include <QLine>
#include <QList>
#include <QWidget>

// The one transparent, click-through window over the primary screen on which
// the snapping guides of a window being moved or resized are drawn. Shared by
// every panel window; guide lines are in desktop coordinates.
class GuideOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit GuideOverlay(QWidget *parent = nullptr);
    ~GuideOverlay() override;

    // A non-empty list covers the primary screen and draws the lines; an empty one hides the overlay.
    void showGuides(const QList<QLine> &lines);
    void hideGuides();
    QList<QLine> guides() const { return m_guides; }

    // The snapping rules (see Snapping), so that a window needs only its overlay.
    Snapping::Result snapMove(const QRect &rect, const QList<QRect> &peers, const QRect &screen) const;
    Snapping::Result snapResize(const QRect &rect, const QList<QRect> &peers, const QRect &screen,
                                QSize minimum, Qt::Edges edges) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QLine> m_guides;
};
