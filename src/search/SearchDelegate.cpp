#include "SearchDelegate.h"

#include "base/NameElide.h"
#include "categories/CategoryRules.h"
#include "look/AppStyle.h"
#include "panels/PanelLayoutStore.h"
#include "search/SearchGeometry.h"
#include "search/SearchStyle.h"
#include "shell/DesktopModel.h"

#include <QIcon>
#include <QPainter>

namespace {

constexpr int iconEdge = 32;
constexpr int iconLeft = 12;
constexpr int textLeft = 56;
constexpr int textRightMargin = 12;

QFont fontAt(int pixels)
{
    QFont font = AppStyle::appFont();
    font.setPixelSize(pixels);
    return font;
}

} // namespace

SearchDelegate::~SearchDelegate() = default;

QString SearchDelegate::placeText(const QModelIndex &index)
{
    // A custom panel's name is the user's own, shown as typed; a category's title is translated.
    const QString panelId = index.data(DesktopModel::PanelRole).toString();
    if (PanelLayoutStore::isCustomPanel(panelId))
        return PanelLayoutStore::panelName(panelId);
    return categoryTitle(index.data(DesktopModel::CategoryRole).toInt());
}

QSize SearchDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {300, SearchGeometry::rowHeight};
}

void SearchDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect.adjusted(1, 2, -1, -2);
    if (option.state & QStyle::State_Selected) {
        painter->setPen(QPen(SearchStyle::selectedBorder, 1));
        painter->setBrush(SearchStyle::selectedFill);
        painter->drawRoundedRect(r, SearchStyle::rowRadius, SearchStyle::rowRadius);
    } else if (option.state & QStyle::State_MouseOver) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(SearchStyle::hoverFill);
        painter->drawRoundedRect(r, SearchStyle::rowRadius, SearchStyle::rowRadius);
    }

    // Mirrored as a whole for right-to-left languages.
    const auto place = [&option](const QRect &box) {
        return QStyle::visualRect(option.direction, option.rect, box);
    };
    const auto icon = index.data(Qt::DecorationRole).value<QIcon>();
    icon.paint(painter, place(QRect(r.left() + iconLeft, r.center().y() - iconEdge / 2, iconEdge, iconEdge)),
               Qt::AlignCenter);

    const int x = r.left() + textLeft;
    const int width = std::max((r.right() - textRightMargin) - x, 0);
    const bool rightToLeft = option.direction == Qt::RightToLeft;

    const QFont nameFont = fontAt(14);
    painter->setFont(nameFont);
    painter->setPen(SearchStyle::nameText);
    const QString name = NameElide::elideRight(nameFont, index.data(Qt::DisplayRole).toString(), width);
    const Qt::Alignment leading = rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    painter->drawText(place(QRect(x, r.top() + 8, width, 20)), int(leading | Qt::AlignVCenter), name);

    painter->setFont(fontAt(11));
    painter->setPen(SearchStyle::categoryText);
    painter->drawText(place(QRect(x, r.top() + 29, width, 16)), int(leading | Qt::AlignVCenter),
                      placeText(index));
    painter->restore();
}
