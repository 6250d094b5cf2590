#pragma once

#include "panels/LooseItems.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// Loose items as the panel set sees them: records what the set asks of them.
class FakeLooseItems : public LooseItems
{
public:
    void runDrag(QWidget *source, QMimeData *mime, const QPixmap &) override
    {
        sources.append(source);
        delete mime;
        dragging = true;
        if (duringDrag)
            duringDrag();
        dragging = false;
        Q_EMIT dragFinished();
    }
    bool isDragging() const override { return dragging; }
    void setShown(bool on) override { shown = on; }
    bool hasVisibleShortcuts() const override { return shown && visibleShortcuts; }
    void setIconSize(int pixels) override { iconSize = pixels; }
    void clearSelection() override { ++cleared; }
    void placeItems(const QStringList &keys, QPoint point) override { placed.append({keys, point}); }

    QList<QPointer<QWidget>> sources;
    std::function<void()> duringDrag;
    bool dragging = false;
    bool shown = false;
    bool visibleShortcuts = false;
    int iconSize = 0;
    int cleared = 0;
    QList<std::pair<QStringList, QPoint>> placed;
};
