#pragma once

#include "panels/PanelSort.h"

#include <QRect>
#include <QString>

#include <optional>

// The settings one panel window keeps under its settings prefix ("panel/<id>",
// or "panel" for the single panel): presentation, roll-up, sort order and the
// stored placement.
class PanelSettings
{
public:
    // Where a panel was, as far as it can be used now.
    struct Placement
    {
        QRect rect;
        bool userPlaced = false;
        // Stored for another icon size or an older layout generation: the panel
        // set re-arranges it.
        bool stale = false;
    };

    explicit PanelSettings(QString prefix);

    QString prefix() const { return m_prefix; }

    // None: automatic (the panel set decides); true: list; false: grid.
    std::optional<bool> listView() const;
    void setListView(std::optional<bool> list);

    bool isCollapsed() const;
    void setCollapsed(bool collapsed);
    // The full height a rolled-up panel unrolls to; 0 when unknown.
    int expandedHeight() const;
    void setExpandedHeight(int height);

    PanelSort::SortMode sortMode() const;
    bool isSortReversed() const;
    void setSortMode(PanelSort::SortMode mode);
    void setSortReversed(bool reversed);

    // The stored placement when it still touches a screen.
    std::optional<Placement> placement(int iconSize, int layoutVersion) const;
    void setPlacement(const QRect &rect, bool userPlaced, int iconSize, int layoutVersion);

private:
    QString key(QLatin1StringView suffix) const;

    QString m_prefix;
};
