#include "DisplayArrangement.h"

#include "frame/ScreenFit.h"
#include "frame/WindowRoom.h"

#include <algorithm>
#include <tuple>

namespace DisplayArrangement {

namespace {

qint64 area(const QRect &r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

// The screen holding most of `rect`, or -1 when none holds any of it.
int hostOf(const QRect &rect, const Screens &screens)
{
    int best = -1;
    qint64 most = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const qint64 common = area(rect.intersected(screens.at(i).geometry));
        if (common > most) {
            most = common;
            best = i;
        }
    }
    return best;
}

int primaryOf(const Screens &screens)
{
    const auto it = std::find_if(screens.cbegin(), screens.cend(), [](const Screen &s) { return s.primary; });
    return it == screens.cend() ? 0 : int(it - screens.cbegin());
}

int scaled(int value, int fromExtent, int toExtent)
{
    return fromExtent <= 0 ? value : int(qint64(value) * toExtent / fromExtent);
}

QRect usable(const Screen &screen)
{
    return screen.available.isEmpty() ? screen.geometry : screen.available;
}

} // namespace

Screens canonical(Screens screens)
{
    std::sort(screens.begin(), screens.end(), [](const Screen &a, const Screen &b) {
        return std::tuple(a.geometry.x(), a.geometry.y(), a.name) <
               std::tuple(b.geometry.x(), b.geometry.y(), b.name);
    });
    return screens;
}

Found find(const QList<Screens> &known, const Screens &current)
{
    const auto shared = [&current](const Screens &other) {
        return int(std::count_if(current.cbegin(), current.cend(),
                                 [&other](const Screen &s) { return other.contains(s); }));
    };
    Found found;
    std::tuple<int, int, qint64> bestScore{-1, 0, 0};
    for (int i = 0; i < known.size(); ++i) {
        const Screens &other = known.at(i);
        if (canonical(other) == canonical(current))
            return {i, Match::Same};
        const int common = shared(other);
        if (!current.isEmpty() && common == current.size()) {
            // Of the arrangements it is part of, the one with the fewest screens more.
            if (found.match != Match::Subset || other.size() < known.at(found.index).size())
                found = {i, Match::Subset};
            continue;
        }
        if (found.match == Match::Subset)
            continue;
        qint64 overlap = 0;
        int named = 0;
        for (const Screen &s : current) {
            for (const Screen &o : other) {
                overlap += area(s.geometry.intersected(o.geometry));
                named += s.name == o.name ? 1 : 0;
            }
        }
        const std::tuple score{common, named, overlap};
        if (score > bestScore) {
            bestScore = score;
            found = {i, Match::Closest};
        }
    }
    return found;
}

QList<QRect> carry(const QList<Window> &windows, const Screens &from, const Screens &to)
{
    QList<QRect> result(windows.size());
    QList<bool> staying(windows.size(), false);
    QList<QRect> placed;
    for (int i = 0; i < windows.size(); ++i) {
        const int host = hostOf(windows.at(i).rect, from);
        staying[i] = to.isEmpty() || (host >= 0 && to.contains(from.at(host)));
        if (staying.at(i)) {
            result[i] = windows.at(i).rect;
            placed.append(result.at(i));
        }
    }
    for (int i = 0; i < windows.size(); ++i) {
        if (staying.at(i))
            continue;
        const Window &window = windows.at(i);
        const int host = hostOf(window.rect, from);
        const QRect source = host >= 0 ? from.at(host).geometry : window.rect;
        const auto sameName = std::find_if(to.cbegin(), to.cend(), [&](const Screen &s) {
            return host >= 0 && s.name == from.at(host).name;
        });
        const Screen &target = sameName != to.cend() ? *sameName : to.at(primaryOf(to));
        const QRect geometry = target.geometry;
        const QRect scaledRect(
            geometry.x() + scaled(window.rect.x() - source.x(), source.width(), geometry.width()),
            geometry.y() + scaled(window.rect.y() - source.y(), source.height(), geometry.height()),
            std::max(window.minimum.width(), scaled(window.rect.width(), source.width(), geometry.width())),
            std::max(window.minimum.height(),
                     scaled(window.rect.height(), source.height(), geometry.height())));
        const QRect room = usable(target);
        QRect rect = ScreenFit::fitInside(scaledRect, {room}, window.minimum);
        const bool covers = std::any_of(placed.cbegin(), placed.cend(),
                                        [&rect](const QRect &other) { return other.intersects(rect); });
        if (covers) {
            if (const std::optional<QRect> free =
                    WindowRoom::freeRectNear(rect.size(), window.minimum, room, placed, rect.topLeft()))
                rect = *free;
        }
        result[i] = rect;
        placed.append(rect);
    }
    return result;
}

} // namespace DisplayArrangement
