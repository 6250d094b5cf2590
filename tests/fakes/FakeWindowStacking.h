#pragma once

#include "shell/WindowStacking.h"

#include <QStringList>

#include <algorithm>

// A window manager's stack as a test sets it up: a list of windows from the
// bottom up, each in its layer (the desktop's below everything, then keep-below,
// normal and keep-above windows), with every request written to a log.
class FakeWindowStacking : public WindowStacking
{
    Q_OBJECT

public:
    struct Window
    {
        WId id = 0;
        Layer layer = Layer::Normal;
        bool desktop = false;
        bool shown = true;
        bool ours = false;
    };

    using WindowStacking::WindowStacking;

    // Settings of the window manager a test plays.
    bool available = true;
    bool ignoresRestack = false; // requests arrive, the order stays
    bool layers = true;          // keep-below and keep-above are honoured
    bool positionsKnown = true;
    int layerQueries = 0;
    WId active = 0;
    // Every request, in order: "layer <id> <below|normal|above>",
    // "restack <id> <sibling>", "prepare <id> <layer>", "wait".
    QStringList log;
    int passes = 0; // availability checks: one per pass that ran

    void setWindows(const QList<Window> &windows)
    {
        m_windows = windows;
        settle();
    }
    QList<Window> windows() const { return m_windows; }
    Window *find(WId id)
    {
        auto it =
            std::find_if(m_windows.begin(), m_windows.end(), [id](const Window &w) { return w.id == id; });
        return it == m_windows.end() ? nullptr : &*it;
    }
    // Another program's window comes to the front, as after a click on it.
    void activate(WId id)
    {
        active = id;
        if (Window *w = find(id)) {
            const Window moved = *w;
            m_windows.removeIf([id](const Window &x) { return x.id == id; });
            m_windows.append(moved);
            settle();
            if (!moved.ours)
                Q_EMIT foregroundChanged();
        }
    }

    bool isAvailable() const override
    {
        ++const_cast<FakeWindowStacking *>(this)->passes;
        return available;
    }
    bool keepsLayers() const override
    {
        ++const_cast<FakeWindowStacking *>(this)->layerQueries;
        return available && layers;
    }
    bool knowsWindowPositions() const override { return positionsKnown; }
    QList<WId> stackingOrder() const override
    {
        QList<WId> ids;
        for (const Window &w : m_windows)
            ids.append(w.id);
        return ids;
    }
    WId desktopWindow() const override
    {
        for (const Window &w : m_windows) {
            if (w.desktop)
                return w.id;
        }
        return 0;
    }
    bool isShown(WId id) const override
    {
        const Window *w = const_cast<FakeWindowStacking *>(this)->find(id);
        return w && w->shown;
    }
    Layer layer(WId id) const override
    {
        const Window *w = const_cast<FakeWindowStacking *>(this)->find(id);
        return w ? w->layer : Layer::Normal;
    }
    bool isOwnWindowActive() const override
    {
        const Window *w = const_cast<FakeWindowStacking *>(this)->find(active);
        return w && w->ours;
    }
    void setLayer(WId id, Layer layer) override
    {
        log.append(QStringLiteral("layer %1 %2").arg(id).arg(layerName(layer)));
        if (Window *w = find(id)) {
            w->layer = layer;
            settle();
        }
    }
    void restackAbove(WId id, WId sibling) override
    {
        log.append(QStringLiteral("restack %1 %2").arg(id).arg(sibling));
        Window *w = find(id);
        if (ignoresRestack || !w)
            return;
        const Window moved = *w;
        m_windows.removeIf([id](const Window &x) { return x.id == id; });
        const Window *s = find(sibling);
        // Like a real window manager: above a sibling of its own layer, else
        // at the bottom of its layer.
        const qsizetype at = s && s->layer == moved.layer && !s->desktop ? (s - m_windows.data()) + 1 : 0;
        m_windows.insert(at, moved);
        settle();
    }
    void preparePanel(WId id, Layer layer) override
    {
        log.append(QStringLiteral("prepare %1 %2").arg(id).arg(layerName(layer)));
        // Mapping a window: the window manager takes it in on top of its layer.
        if (!find(id))
            m_windows.append({id, layer, false, true, true});
        find(id)->layer = layer;
        settle();
    }
    void waitForWindowManager() override { log.append(QStringLiteral("wait")); }

    static QString layerName(Layer layer)
    {
        return layer == Layer::KeepAbove   ? QStringLiteral("above")
               : layer == Layer::KeepBelow ? QStringLiteral("below")
                                           : QStringLiteral("normal");
    }

private:
    static int rank(const Window &w)
    {
        if (w.desktop)
            return 0;
        return w.layer == Layer::KeepBelow ? 1 : w.layer == Layer::Normal ? 2 : 3;
    }
    // Layers hold: within a layer the order is kept.
    void settle()
    {
        std::stable_sort(m_windows.begin(), m_windows.end(),
                         [](const Window &a, const Window &b) { return rank(a) < rank(b); });
    }

    QList<Window> m_windows;
};
