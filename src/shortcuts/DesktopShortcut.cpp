#include "DesktopShortcut.h"

#include "base/NameElide.h"
#include "frame/CompositorShape.h"
#include "look/AppStyle.h"
#include "panels/ItemMenu.h"
#include "panels/ItemMime.h"
#include "shell/DesktopModel.h"
#include "shortcuts/DesktopDropSurface.h"

#include <QApplication>
#include <QBitmap>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>

namespace {
constexpr int fontPixels = 12;
constexpr int iconTop = 4;
constexpr int labelTop = 8;     // below the icon
constexpr int labelHeight = 36; // two lines
constexpr int labelMargin = 3;

const QColor selectedPen(170, 205, 250, 150);
const QColor selectedFill(90, 150, 220, 70);
const QColor hoveredPen(255, 255, 255, 50);
const QColor hoveredFill(255, 255, 255, 28);
// Without a compositing manager the plate cannot be see-through: solid colours of the same kind.
const QColor selectedSolidFill(52, 84, 128);
const QColor hoveredSolidFill(60, 60, 60);
const QColor labelShadow(0, 0, 0, 220);
} // namespace

DesktopShortcut::DesktopShortcut(DesktopModel *model, CompositorWatch *compositor, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint)
    , m_model(model)
{
    setObjectName(QStringLiteral("desktopShortcut"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAcceptDrops(true);
    QFont font = AppStyle::appFont();
    font.setPixelSize(fontPixels);
    setFont(font);
    connect(this, &QWidget::customContextMenuRequested, this, &DesktopShortcut::showItemMenu);
    // Last: the shape paints the content, which reads every member above.
    m_shape = new CompositorShape(this, compositor, [this](QSize size) { return contentShape(size); });
}

DesktopShortcut::~DesktopShortcut() = default;

void DesktopShortcut::setIconSize(int pixels)
{
    m_iconSize = pixels;
    refresh();
}

void DesktopShortcut::refresh()
{
    update();
    m_shape->reshape();
}

void DesktopShortcut::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    refresh();
}

void DesktopShortcut::press()
{
    if (m_onPressed)
        m_onPressed();
    m_selected = true;
    refresh();
}

void DesktopShortcut::showItemMenu(QPoint position)
{
    if (!m_index.isValid() || m_menuOpen)
        return;
    press();
    m_menuOpen = true;
    // The platform's own menu where it has one, else the program's.
    QPointer<DesktopShortcut> self(this);
    if (!m_model->showItemMenu(this, {QModelIndex(m_index)})) {
        QMenu menu(this);
        menu.setStyleSheet(AppStyle::menuStyleSheet());
        ItemMenu::addEntries(&menu, m_model, m_index, this);
        menu.exec(mapToGlobal(position));
    }
    if (!self)
        return;
    m_menuOpen = false;
    // The chosen action may have renamed or removed the item.
    if (m_onMenuClosed)
        m_onMenuClosed();
}

void DesktopShortcut::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    press();
    m_pressPos = event->position().toPoint();
    m_dragStarted = false;
}

void DesktopShortcut::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_index.isValid())
        m_model->openItem(m_index);
}

void DesktopShortcut::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_dragStarted || !m_index.isValid())
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragStarted = true;
    startDrag();
}

void DesktopShortcut::startDrag()
{
    if (!m_onDrag)
        return;
    const QIcon icon = m_index.data(Qt::DecorationRole).value<QIcon>();
    const QPixmap pixmap = icon.pixmap(QSize(m_iconSize, m_iconSize));
    QMimeData *mime = m_model->mimeData({QModelIndex(m_index)});
    if (mime)
        m_onDrag(this, mime, pixmap);
}

void DesktopShortcut::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_index.isValid()) {
        m_model->openItem(m_index);
        return;
    }
    QWidget::keyPressEvent(event);
}

void DesktopShortcut::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    refresh();
}

void DesktopShortcut::leaveEvent(QEvent *)
{
    m_hovered = false;
    refresh();
}

QStringList DesktopShortcut::labelLines() const
{
    if (!m_index.isValid())
        return {};
    // A name without spaces breaks anywhere rather than being clipped at both ends.
    return NameElide::lines(font(), m_index.data(Qt::DisplayRole).toString(), width() - 2 * labelMargin, 2);
}

void DesktopShortcut::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintContent(&painter, m_shape->isComposited());
}

QRegion DesktopShortcut::contentShape(QSize size) const
{
    // What the window paints, where it is more opaque than not; the rest of
    // the desktop shows through the gaps.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintContent(&painter, false);
    painter.end();
    return QRegion(QBitmap::fromImage(image.createAlphaMask(Qt::ThresholdAlphaDither)));
}

void DesktopShortcut::paintContent(QPainter *painter, bool composited) const
{
    painter->setRenderHint(QPainter::Antialiasing);
    // Not quite transparent, so the whole window takes the pointer.
    if (composited)
        painter->fillRect(rect(), QColor(0, 0, 0, 1));
    if (m_selected || m_hovered) {
        QColor pen = m_selected ? selectedPen : hoveredPen;
        QColor fill = m_selected ? selectedFill : hoveredFill;
        if (!composited) {
            pen.setAlpha(255);
            fill = m_selected ? selectedSolidFill : hoveredSolidFill;
        }
        painter->setPen(pen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(rect().adjusted(1, 1, -1, -1)), 3, 3);
    }
    if (!m_index.isValid())
        return;
    const QIcon icon = m_index.data(Qt::DecorationRole).value<QIcon>();
    icon.paint(painter, QRect((width() - m_iconSize) / 2, iconTop, m_iconSize, m_iconSize));

    const QString name = labelLines().join(QLatin1Char('\n'));
    const QRect box(labelMargin, m_iconSize + labelTop, width() - 2 * labelMargin, labelHeight);
    const int flags = Qt::AlignHCenter | Qt::AlignTop;
    painter->setFont(font());
    painter->setPen(labelShadow);
    painter->drawText(box.translated(1, 1), flags, name);
    painter->setPen(Qt::white);
    painter->drawText(box, flags, name);
}

void DesktopShortcut::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void DesktopShortcut::dragMoveEvent(QDragMoveEvent *event)
{
    if (!DesktopDropSurface::acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DesktopShortcut::dropEvent(QDropEvent *event)
{
    if (!DesktopDropSurface::acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    takeDrop(ItemMime::itemKeys(event->mimeData()), mapToGlobal(event->position()).toPoint());
}

void DesktopShortcut::takeDrop(const QStringList &keys, QPoint globalPoint)
{
    if (m_onDropped)
        m_onDropped(keys, globalPoint);
}
