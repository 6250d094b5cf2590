#pragma once

#include "shell/WindowStacking.h"

#include <QStringList>

#include <algorithm>

// A window manager's stack as a test sets it up: windows from the bottom up, each
// in its layer (the desktop's below everything, then keep-below, normal and
// keep-above windows), with every request written to a log.
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

    // The window manager a test plays.
    bool available = true;
    bool ignoresRestack = false; // requests arrive, the order stays
    bool layers = true;          // keep-below and keep-above are honoured
    bool positionsKnown = true;
    mutable int layerQueries = 0;
    mutable int passes = 0; // availability checks: one per pass that ran
    WId active = 0;
    // Every request, in order: "layer <id> <below|normal|above>",
    // "restack <id> <sibling>", "prepare <id> <layer>", "wait".
    QStringList log;
    // The stack, bottom up; settle() puts it in layer order.
    QList<Window> windows;

    // Another program's window comes to the front, as after a click on it.
    void activate(WId id)
    {
        active = id;
        if (const qsizetype i = at(id); i >= 0) {
            windows.append(windows.takeAt(i));
            settle();
            if (!windows.at(at(id)).ours)
                Q_EMIT foregroundChanged();
        }
    }
    // Layers hold: within a layer the order is kept.
    void settle()
    {
        const auto rank = [](const Window &w) {
            return w.desktop ? 0 : w.layer == Layer::KeepBelow ? 1 : w.layer == Layer::Normal ? 2 : 3;
        };
        std::stable_sort(windows.begin(), windows.end(),
                         [rank](const Window &a, const Window &b) { return rank(a) < rank(b); });
    }
    static QString layerName(Layer layer)
    {
        return layer == Layer::KeepAbove   ? QStringLiteral("above")
               : layer == Layer::KeepBelow ? QStringLiteral("below")
                                           : QStringLiteral("normal");
    }

    bool isAvailable() const override { return ++passes, available; }
    bool keepsLayers() const override { return ++layerQueries, available && layers; }
    bool knowsWindowPositions() const override { return positionsKnown; }
    QList<WId> stackingOrder() const override
    {
        QList<WId> ids;
        for (const Window &w : windows)
            ids.append(w.id);
        return ids;
    }
    WId desktopWindow() const override
    {
        const auto it =
            std::find_if(windows.cbegin(), windows.cend(), [](const Window &w) { return w.desktop; });
        return it == windows.cend() ? 0 : it->id;
    }
    bool isShown(WId id) const override { return at(id) >= 0 && windows.at(at(id)).shown; }
    Layer layer(WId id) const override { return at(id) >= 0 ? windows.at(at(id)).layer : Layer::Normal; }
    bool isOwnWindowActive() const override { return at(active) >= 0 && windows.at(at(active)).ours; }
    void setLayer(WId id, Layer layer) override
    {
        log.append(QStringLiteral("layer %1 %2").arg(id).arg(layerName(layer)));
        if (at(id) >= 0) {
            windows[at(id)].layer = layer;
            settle();
        }
    }
    void restackAbove(WId id, WId sibling) override
    {
        log.append(QStringLiteral("restack %1 %2").arg(id).arg(sibling));
        if (ignoresRestack || at(id) < 0)
            return;
        const Window moved = windows.takeAt(at(id));
        // Like a real window manager: above a sibling of its own layer, else
        // at the bottom of its layer.
        const qsizetype s = at(sibling);
        const bool besides = s >= 0 && windows.at(s).layer == moved.layer && !windows.at(s).desktop;
        windows.insert(besides ? s + 1 : 0, moved);
        settle();
    }
    void preparePanel(WId id, Layer layer) override
    {
        log.append(QStringLiteral("prepare %1 %2").arg(id).arg(layerName(layer)));
        // Mapping a window: the window manager takes it in on top of its layer.
        if (at(id) < 0)
            windows.append({id, layer, false, true, true});
        setLayer(id, layer);
        log.removeLast();
    }
    void waitForWindowManager() override { log.append(QStringLiteral("wait")); }

private:
    qsizetype at(WId id) const
    {
        const auto it =
            std::find_if(windows.cbegin(), windows.cend(), [id](const Window &w) { return w.id == id; });
        return it == windows.cend() ? -1 : it - windows.cbegin();
    }
};
