#pragma once

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

protected:
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The guides in the overlay's own coordinates, pulled inside it.
    QList<QLine> visibleGuides() const;
    void applyShape();

    QList<QLine> m_guides;
};
