#include "TidyLayout.h"

#include "panels/PanelMetrics.h"

#include <algorithm>

namespace TidyLayout {

namespace {

// Planned width of a column before spare room is handed out: the narrowest a
// grid panel may be. List columns grow to at most the list width.
constexpr int columnWidth = PanelMetrics::gridMinimum.width();
constexpr int listWidth = PanelMetrics::listWidth;
// Height a list slot is budgeted with when deciding how many list panels a column holds.
constexpr int listSlotHeight = 100;
constexpr int gridRowsPlanned = 5;
constexpr int gridColumnsPlanned = 3;

int ceilDiv(qsizetype value, qsizetype divisor)
{
    return int((value + divisor - 1) / divisor);
}

bool wantsList(const TidyEntry &entry)
{
    return entry.listMode ? *entry.listMode : PanelMetrics::listByDefault(entry.category);
}

int listNaturalHeight(int itemCount)
{
    return PanelMetrics::listPanelHeight(itemCount);
}

} // namespace

QSize smallestGridPanelSize(int iconSize)
{
    return PanelMetrics::gridPanelSize(iconSize, 1, 1);
}

int tallestGridPanelHeight(int iconSize)
{
    return PanelMetrics::gridPanelSize(iconSize, 1, gridRowsPlanned).height();
}

int widestGridPanelWidth(int iconSize)
{
    return PanelMetrics::gridPanelSize(iconSize, gridColumnsPlanned, 1).width();
}

QList<QList<TidyEntry>> splitIntoColumns(const QList<TidyEntry> &entries, int columns)
{
    QList<QList<TidyEntry>> result;
    if (columns <= 0)
        return result;
    const qsizetype base = entries.size() / columns;
    const qsizetype longer = entries.size() % columns;
    qsizetype next = 0;
    for (int c = 0; c < columns; ++c) {
        const qsizetype count = base + (c < longer ? 1 : 0);
        result.append(entries.mid(next, count));
        next += count;
    }
    return result;
}

QList<int> columnHeights(const QList<TidyEntry> &column, int height)
{
    const int count = int(column.size());
    if (count == 0)
        return {};
    const int room = height - gap * (count - 1);
    // A one-row list first: every panel stays usable before any grows.
    const int start = std::min(room / count, listNaturalHeight(1));
    QList<int> heights(count, start);
    int rest = room - count * start;
    while (rest > 0) {
        int growing = 0;
        for (int i = 0; i < count; ++i) {
            if (heights[i] < listNaturalHeight(column[i].itemCount))
                ++growing;
        }
        if (growing == 0)
            break;
        const int share = std::max(rest / growing, 1);
        for (int i = 0; i < count && rest >= 1; ++i) {
            const int grow = std::min({rest, share, listNaturalHeight(column[i].itemCount) - heights[i]});
            if (grow >= 1) {
                heights[i] += grow;
                rest -= grow;
            }
        }
    }
    return heights;
}

QList<LayoutRecord> computeTidyLayout(const QList<TidyEntry> &entries, const QRect &area, int iconSize)
{
    QList<LayoutRecord> records;
    if (area.isEmpty())
        return records;

    QList<TidyEntry> shown;
    for (const TidyEntry &entry : entries) {
        if (entry.itemCount > 0)
            shown.append(entry);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const TidyEntry &a, const TidyEntry &b) { return a.category < b.category; });
    if (shown.isEmpty())
        return records;

    QList<TidyEntry> lists;
    QList<TidyEntry> grids;
    for (const TidyEntry &entry : std::as_const(shown))
        (wantsList(entry) ? lists : grids).append(entry);

    const int slots = std::max((area.height() + gap) / listSlotHeight, 1);
    int listCols = ceilDiv(lists.size(), slots);

    const int smallestGridHeight = smallestGridPanelSize(iconSize).height();
    int gc = 0;
    for (int c = int(grids.size()); c >= 1; --c) {
        const bool widthFits = (c + listCols) * (columnWidth + gap) - gap <= area.width();
        const bool heightFits = ceilDiv(grids.size(), c) * (smallestGridHeight + gap) - gap <= area.height();
        if (widthFits && heightFits) {
            gc = c;
            break;
        }
    }
    if (!grids.isEmpty() && gc == 0) {
        // Not even one column of grid panels fits: lists take the least room.
        lists = shown;
        grids.clear();
        listCols = ceilDiv(lists.size(), slots);
    }

    const int total = gc + listCols;
    const int inner = area.width() - gap * (total - 1);
    // A work area too narrow for the columns still gets valid (if tiny) rectangles.
    const int colW = std::max(std::min(inner / total, columnWidth), 1);
    const int spare = std::max(inner - colW * total, 0);
    const int listW = listCols > 0 ? colW + std::min(listWidth - colW, spare / listCols) : 0;
    const int gridW = gc > 0 ? colW + std::min(widestGridPanelWidth(iconSize) - colW,
                                               (spare - (listW - colW) * listCols) / gc)
                             : 0;

    const QList<QList<TidyEntry>> columns = splitIntoColumns(lists, listCols);
    int maxNeed = 0;
    for (const QList<TidyEntry> &column : columns) {
        int need = gap * int(column.size() - 1);
        for (const TidyEntry &entry : column)
            need += listNaturalHeight(entry.itemCount);
        maxNeed = std::max(maxNeed, need);
    }

    int height = 0;
    int gridH = 0;
    if (gc > 0) {
        const int rows = ceilDiv(grids.size(), gc);
        height =
            std::min(std::max((tallestGridPanelHeight(iconSize) + gap) * rows - gap, maxNeed), area.height());
        gridH = (height - gap * rows + gap) / rows;
    } else {
        height = std::min(maxNeed, area.height());
    }

    const int right = area.x() + area.width();
    for (int j = 0; j < int(columns.size()); ++j) {
        const int x = right - gap * j - (j + 1) * listW;
        const QList<int> heights = columnHeights(columns[j], height);
        int y = area.top();
        for (int i = 0; i < int(columns[j].size()); ++i) {
            records.append({columns[j][i].category, QRect(x, y, listW, heights[i]), true, false});
            y += heights[i] + gap;
        }
    }

    const int gridRight = right - (listW + gap) * listCols;
    for (int k = 0; k < int(grids.size()); ++k) {
        const int row = k / gc;
        const int col = k % gc;
        const int x = gridRight - gap * col - (col + 1) * gridW;
        const int y = area.top() + row * (gridH + gap);
        records.append({grids[k].category, QRect(x, y, gridW, gridH), false, false});
    }
    return records;
}

QList<LayoutRecord> mergeUserPlaced(const QList<LayoutRecord> &layout, const QHash<int, QRect> &userRects)
{
    QList<LayoutRecord> merged = layout;
    for (LayoutRecord &record : merged) {
        const auto user = userRects.constFind(record.category);
        record.userPlaced = user != userRects.cend() && user->isValid();
        if (record.userPlaced)
            record.rect = *user;
    }

    // Sending one panel back can make it overlap another user-placed one, hence the repetition.
    for (;;) {
        QList<qsizetype> overlapping;
        for (qsizetype i = 0; i < merged.size(); ++i) {
            if (!merged[i].userPlaced)
                continue;
            for (qsizetype j = 0; j < merged.size(); ++j) {
                if (j != i && merged[i].rect.intersects(merged[j].rect)) {
                    overlapping.append(i);
                    break;
                }
            }
        }
        if (overlapping.isEmpty())
            break;
        for (const qsizetype i : std::as_const(overlapping)) {
            merged[i].rect = layout[i].rect;
            merged[i].userPlaced = false;
        }
    }
    return merged;
}

QList<QRect> layoutCustomPanels(const QList<SizeRequest> &requests, const QRect &area,
                                const QList<QRect> &occupied)
{
    QList<QRect> rects;
    if (area.isEmpty())
        return rects;
    QList<QRect> taken = occupied;
    int cascaded = 0;
    for (const SizeRequest &request : requests) {
        const QPoint topRight(area.right() + 1 - request.preferred.width(), area.top());
        // Highest first, then rightmost: custom panels line up beside the category panels.
        std::optional<QRect> rect =
            WindowRoom::bestFreeRect(request.preferred, request.minimum, area, taken, topRight,
                                     [](const QRect &r) { return std::pair(r.top(), -r.right()); });
        if (!rect) {
            // The work area is full: the panel still needs a place, and a cascade
            // keeps it from hiding exactly behind another.
            const int w = std::min(request.preferred.width(), area.width());
            const int h = std::min(request.preferred.height(), area.height());
            const int offset = cascadeStep * ++cascaded;
            rect = QRect(std::max(area.left(), std::min(area.right() + 1 - w, area.left() + offset)),
                         std::max(area.top(), std::min(area.bottom() + 1 - h, area.top() + offset)), w, h);
        }
        rects.append(*rect);
        taken.append(*rect);
    }
    return rects;
}

} // namespace TidyLayout
