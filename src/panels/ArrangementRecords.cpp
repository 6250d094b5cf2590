#include "ArrangementRecords.h"

#include <QJsonObject>

#include <cmath>
#include <optional>

namespace ArrangementRecords {

namespace {

const QLatin1StringView screensMember("screens");
const QLatin1StringView windowsMember("windows");
const QLatin1StringView positionsMember("desktopPositions");
const QLatin1StringView nameMember("name");
const QLatin1StringView geometryMember("geometry");
const QLatin1StringView scaleMember("scale");
const QLatin1StringView rolledUpMember("rolledUp");

// X11 keeps window coordinates in 16 bits; nothing real lies beyond.
constexpr int coordinateLimit = 32767;

std::optional<int> whole(const QJsonValue &value, int low, int high)
{
    const double d = value.toDouble(std::nan(""));
    if (!value.isDouble() || !std::isfinite(d) || d != std::floor(d) || d < low || d > high)
        return std::nullopt;
    return int(d);
}

std::optional<QRect> rectFrom(const QJsonValue &value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return std::nullopt;
    const auto x = whole(a.at(0), -coordinateLimit, coordinateLimit);
    const auto y = whole(a.at(1), -coordinateLimit, coordinateLimit);
    const auto w = whole(a.at(2), 1, coordinateLimit);
    const auto h = whole(a.at(3), 1, coordinateLimit);
    if (!x || !y || !w || !h)
        return std::nullopt;
    return QRect(*x, *y, *w, *h);
}

std::optional<QPoint> pointFrom(const QJsonValue &value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 2)
        return std::nullopt;
    const auto x = whole(a.at(0), -coordinateLimit, coordinateLimit);
    const auto y = whole(a.at(1), -coordinateLimit, coordinateLimit);
    if (!x || !y)
        return std::nullopt;
    return QPoint(*x, *y);
}

QJsonArray rectTo(const QRect &r)
{
    return QJsonArray{r.x(), r.y(), r.width(), r.height()};
}

std::optional<DisplayArrangement::Screen> screenFrom(const QJsonValue &value)
{
    const QJsonObject o = value.toObject();
    const std::optional<QRect> geometry = rectFrom(o.value(geometryMember));
    const double scale = o.value(scaleMember).toDouble(std::nan(""));
    if (!o.value(nameMember).isString() || !geometry ||
        !(scale * 100 >= smallestScale && scale * 100 <= largestScale))
        return std::nullopt;
    DisplayArrangement::Screen screen;
    screen.name = o.value(nameMember).toString();
    screen.geometry = *geometry;
    screen.scalePercent = int(std::lround(scale * 100));
    return screen;
}

std::optional<Record> recordFrom(const QJsonValue &value)
{
    const QJsonObject o = value.toObject();
    const QJsonValue screens = o.value(screensMember);
    const QJsonValue windows = o.value(windowsMember);
    const QJsonValue positions = o.value(positionsMember);
    if (!screens.isArray() || screens.toArray().isEmpty() || !windows.isObject() ||
        !(positions.isObject() || positions.isUndefined()))
        return std::nullopt;
    Record record;
    for (const QJsonValue &s : screens.toArray()) {
        const std::optional<DisplayArrangement::Screen> screen = screenFrom(s);
        if (!screen)
            return std::nullopt;
        record.screens.append(*screen);
    }
    const QJsonObject windowObject = windows.toObject();
    for (auto it = windowObject.constBegin(); it != windowObject.constEnd(); ++it) {
        const QJsonObject w = it.value().toObject();
        const std::optional<QRect> rect = rectFrom(w.value(geometryMember));
        const QJsonValue rolledUp = w.value(rolledUpMember);
        if (!rect || !(rolledUp.isBool() || rolledUp.isUndefined()))
            return std::nullopt;
        record.windows.insert(it.key(), {*rect, rolledUp.toBool()});
    }
    const QJsonObject positionObject = positions.toObject();
    for (auto it = positionObject.constBegin(); it != positionObject.constEnd(); ++it) {
        const std::optional<QPoint> point = pointFrom(it.value());
        if (!point)
            return std::nullopt;
        record.desktopPositions.insert(it.key(), *point);
    }
    return record;
}

} // namespace

QList<Record> read(const QJsonValue &value, bool &lost)
{
    QList<Record> records;
    if (value.isUndefined())
        return records;
    if (!value.isArray()) {
        lost = true;
        return records;
    }
    for (const QJsonValue &entry : value.toArray()) {
        const std::optional<Record> record = recordFrom(entry);
        const bool duplicate =
            record && std::any_of(records.cbegin(), records.cend(), [&record](const Record &r) {
                return DisplayArrangement::canonical(r.screens) ==
                       DisplayArrangement::canonical(record->screens);
            });
        if (!record || duplicate || records.size() == kept)
            lost = true;
        else
            records.append(*record);
    }
    return records;
}

Recall enter(QList<Record> &records, const DisplayArrangement::Screens &screens,
             QHash<QString, QPoint> &desktopPositions, bool &changed)
{
    QList<DisplayArrangement::Screens> known;
    for (const Record &record : std::as_const(records))
        known.append(record.screens);
    const DisplayArrangement::Found found = DisplayArrangement::find(known, screens);
    Recall recall{found.match, {}, {}};
    if (found.index >= 0) {
        recall.from = records.at(found.index).screens;
        recall.windows = records.at(found.index).windows;
    }
    Record entered{screens, {}, desktopPositions};
    changed = found.index != 0 || found.match != DisplayArrangement::Match::Same;
    if (found.match == DisplayArrangement::Match::Same) {
        entered = records.takeAt(found.index);
        for (auto it = entered.desktopPositions.constBegin(); it != entered.desktopPositions.constEnd();
             ++it) {
            const auto current = desktopPositions.find(it.key());
            if (current != desktopPositions.end() && *current != *it) {
                *current = *it;
                changed = true;
            }
        }
    }
    records.prepend(entered);
    while (records.size() > kept)
        records.removeLast();
    return recall;
}

QJsonArray write(const QList<Record> &records)
{
    QJsonArray array;
    for (const Record &record : records) {
        QJsonArray screens;
        for (const DisplayArrangement::Screen &s : record.screens)
            screens.append(QJsonObject{{nameMember, s.name},
                                       {geometryMember, rectTo(s.geometry)},
                                       {scaleMember, s.scalePercent / 100.0}});
        QJsonObject windows;
        for (auto it = record.windows.constBegin(); it != record.windows.constEnd(); ++it) {
            // A place the next start would refuse is not written: it would cost the whole record.
            if (!rectFrom(rectTo(it->rect)))
                continue;
            windows.insert(it.key(),
                           QJsonObject{{geometryMember, rectTo(it->rect)}, {rolledUpMember, it->rolledUp}});
        }
        QJsonObject positions;
        for (auto it = record.desktopPositions.constBegin(); it != record.desktopPositions.constEnd(); ++it) {
            const QJsonArray point{it->x(), it->y()};
            if (pointFrom(point))
                positions.insert(it.key(), point);
        }
        array.append(
            QJsonObject{{screensMember, screens}, {windowsMember, windows}, {positionsMember, positions}});
    }
    return array;
}

} // namespace ArrangementRecords
