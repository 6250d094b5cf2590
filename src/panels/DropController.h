#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

class ItemDragView;
class PanelSort;
class QDropEvent;
class QTimer;

// Takes desktop items dropped on a panel's view. Items that are all the panel's
// own are reordered in place (and the panel switches to manual order); any
// other drop leaves as itemsDropped for the panel set. While a drag hovers
// near the top or bottom edge the view scrolls.
class DropController : public QObject
{
    Q_OBJECT

public:
    static constexpr int autoScrollMs = 75;
    static constexpr int autoScrollZone = 24;

    DropController(ItemDragView *view, PanelSort *sort, const QString &settingsPrefix, QObject *parent);
    ~DropController() override;

    // Pixels scrolled per tick; follows the panel's icon size.
    void setScrollStep(int pixels) { m_scrollStep = pixels; }

Q_SIGNALS:
    // Items from elsewhere (or a mix) were dropped on the view, with these keys held.
    void itemsDropped(const QStringList &itemKeys, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dragMoved(QDropEvent *event);
    void dropped(QDropEvent *event);
    void reorder(const QStringList &keys, const QString &anchor);
    void stopAutoScroll();
    void autoScrollTick();
    QStringList keysShown() const;

    QPointer<ItemDragView> m_view;
    PanelSort *m_sort;
    QString m_settingsPrefix;
    QTimer *m_autoScroll;
    int m_scrollStep = 16;
    int m_direction = 0;
    QPoint m_position;
    bool m_internal = false;
};
