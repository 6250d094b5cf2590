#include "TodoDelegate.h"

#include "base/l10n/L10nText.h"
#include "todo/TodoMetrics.h"
#include "todo/TodoModel.h"
#include "todo/TodoStyle.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace {

constexpr int lineStep = 17;

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

TodoDelegate::TodoDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{}

TodoDelegate::~TodoDelegate() = default;

void TodoDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    editor->setGeometry(TodoMetrics::selectableTextBox(option.rect, option.direction));
}

QSize TodoDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return {TodoMetrics::rowWidthHint,
            TodoMetrics::rowHeight(index.data(Qt::DisplayRole).toString(),
                                   m_rowWidth > 0 ? m_rowWidth : option.rect.width())};
}

QString TodoDelegate::dayLabel(const QDate &created, const QDate &today)
{
    if (created == today)
        return L10n::text("Today");
    if (created == today.addDays(-1))
        return L10n::text("Yesterday");
    return QLocale().toString(created, QLocale::ShortFormat);
}

void TodoDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    const QRect r = option.rect;
    const Qt::LayoutDirection direction = option.direction;
    const bool completed = index.data(TodoModel::CompletedRole).toBool();
    const auto visualF = [&](const QRectF &box) {
        return direction == Qt::RightToLeft
                   ? QRectF(r.left() + r.right() + 1 - box.right(), box.top(), box.width(), box.height())
                   : box;
    };

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    if (option.state & QStyle::State_MouseOver) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 255, 255, 10));
        painter->drawRoundedRect(QRectF(r).adjusted(0, 1, -2, -1), 7, 7);
    }

    const QRectF circle = visualF(QRectF(r.left() + 10, r.top() + 14, 16, 16));
    painter->setPen(roundPen(completed ? QColor(0x8e, 0x9a, 0xab) : QColor(0xa3, 0xaf, 0xbf), 1.2));
    painter->setBrush(completed ? QBrush(QColor(0x78, 0x86, 0x97)) : QBrush(Qt::NoBrush));
    painter->drawEllipse(circle);
    if (completed) {
        painter->setPen(roundPen(QColor(0xf5, 0xf7, 0xfa), 1.6));
        painter->setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(circle.left() + 4.2, circle.top() + 8.1);
        tick.lineTo(circle.left() + 7.0, circle.top() + 10.7);
        tick.lineTo(circle.left() + 11.9, circle.top() + 5.6);
        painter->drawPath(tick);
    }

    if (!m_covered.isValid() || m_covered != index) {
        painter->setFont(TodoMetrics::titleFont(completed));
        painter->setPen(completed ? TodoStyle::completedText : TodoStyle::activeText);
        paintTitle(painter, r, index.data(Qt::DisplayRole).toString(), direction);
    }

    paintDate(painter, r, index.data(TodoModel::CreatedRole).toDate(), direction);

    painter->setPen(QPen(QColor(255, 255, 255, 28), 1));
    painter->drawLine(QPointF(r.left() + 36, r.bottom()), QPointF(r.right() - 6, r.bottom()));
    painter->restore();
}

void TodoDelegate::paintTitle(QPainter *painter, const QRect &row, const QString &title,
                              Qt::LayoutDirection direction) const
{
    const bool compact = TodoMetrics::isCompact(row.height());
    const QRect box(row.left() + TodoMetrics::textLeft, row.top() + 5, row.width() - 44, compact ? 26 : 36);
    const QFontMetrics metrics(painter->font());
    const int flags =
        int(QStyle::visualAlignment(direction, Qt::AlignLeft | Qt::AlignVCenter)) | Qt::TextSingleLine;
    const auto place = [&](const QRect &strip) {
        return QStyle::visualRect(direction, row, strip);
    };
    if (compact) {
        const QString line = metrics.elidedText(TodoMetrics::singleLine(title), Qt::ElideRight, box.width());
        painter->drawText(place(box), flags, line);
        return;
    }
    // Up to two lines, wrapped at word boundaries or anywhere; the second holds
    // the rest, elided. Line breaks in the title start a new line.
    QString text = title;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.remove(QLatin1Char('\r'));
    QTextLayout layout(text, painter->font());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    wrap.setTextDirection(direction);
    layout.setTextOption(wrap);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    QString firstText;
    int restStart = int(text.size());
    if (first.isValid()) {
        first.setLineWidth(box.width());
        firstText = text.mid(first.textStart(), first.textLength());
        restStart = first.textStart() + first.textLength();
    }
    layout.endLayout();
    const QString second = metrics.elidedText(TodoMetrics::singleLine(text.mid(restStart)).trimmed(),
                                              Qt::ElideRight, box.width());
    const QString lines[] = {TodoMetrics::singleLine(firstText).trimmed(), second};
    for (int i = 0; i < 2; ++i) {
        if (lines[i].isEmpty())
            continue;
        const QRect strip(box.left(), box.top() + i * lineStep, box.width(), lineStep);
        painter->drawText(place(strip), flags, metrics.elidedText(lines[i], Qt::ElideRight, box.width()));
    }
}

void TodoDelegate::paintDate(QPainter *painter, const QRect &r, const QDate &created,
                             Qt::LayoutDirection direction) const
{
    const bool compact = TodoMetrics::isCompact(r.height());
    const int y = r.top() + (compact ? 40 : 56);
    painter->setPen(roundPen(QColor(0x96, 0xa2, 0xb3), 1.1));
    painter->setBrush(Qt::NoBrush);
    const QRectF glyph = QRectF(QStyle::visualRect(direction, r, QRect(r.left() + 36, y, 11, 10)));
    painter->drawRoundedRect(glyph, 2, 2);
    painter->drawLine(QPointF(glyph.left() + 3, glyph.top() - 1.5),
                      QPointF(glyph.left() + 3, glyph.top() + 1.5));
    painter->drawLine(QPointF(glyph.right() - 3, glyph.top() - 1.5),
                      QPointF(glyph.right() - 3, glyph.top() + 1.5));
    painter->drawLine(QPointF(glyph.left() + 0.5, glyph.top() + 3.5),
                      QPointF(glyph.right() - 0.5, glyph.top() + 3.5));

    painter->setFont(TodoMetrics::dateFont());
    const QRect label = QStyle::visualRect(direction, r, QRect(r.left() + 53, y - 5, r.width() - 61, 20));
    painter->drawText(label, QStyle::visualAlignment(direction, Qt::AlignLeft | Qt::AlignVCenter),
                      dayLabel(created, QDate::currentDate()));
}
