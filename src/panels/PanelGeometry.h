#pragma once

#include <QRect>

class PanelSettings;
class QWidget;

// Where a panel window stands and how tall it unrolls: a rolled-up panel keeps
// the full height the user gave it across re-arrangements and restarts, and
// the placement is stored together with whether the user chose it.
class PanelGeometry
{
public:
    // The current layout generation of stored panel geometries.
    static constexpr int layoutVersion = 3;

    PanelGeometry(QWidget *window, PanelSettings *settings);

    bool isCollapsed() const { return m_collapsed; }
    // Records a new roll-up state, keeping the height to unroll to; false when
    // nothing changed.
    bool setCollapsed(bool collapsed);
    // The height the window has, or unrolls to while rolled up.
    int expandedHeight(bool list) const;
    // Resizes the window to its height for the roll-up state.
    void applyRollUpHeight(bool list);
    void applyHeightLimits(bool list);

    void place(const QRect &rect, bool list, bool userPlaced);
    bool restore(bool list, int iconSize);
    void store(bool list, int iconSize);

    bool isRestored() const { return m_restored; }
    bool needsRelayout() const { return m_needsRelayout; }
    void setNeedsRelayout(bool needs) { m_needsRelayout = needs; }
    bool isUserPlaced() const { return m_userPlaced; }
    void setUserPlaced() { m_userPlaced = true; }
    // The user moved the window: its position is theirs from now on.
    void setMoved();

private:
    // Sets the geometry, keeping a rolled-up panel at its title height.
    void placeAt(const QRect &rect, bool list);

    QWidget *m_window;
    PanelSettings *m_settings;
    int m_expandedHeight = 0;
    bool m_collapsed = false;
    bool m_restored = false;
    bool m_needsRelayout = false;
    bool m_userPlaced = false;
};
