#include "DesktopShortcuts.h"

#include "frame/PanelFrame.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopLayer.h"
#include "shell/DesktopModel.h"
#include "shortcuts/DesktopDropSurface.h"
#include "shortcuts/DesktopShortcut.h"
#include "shortcuts/ShortcutGeometry.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QRegion>
#include <QScreen>
#include <QSet>
#include <QTimer>

DesktopShortcuts::DesktopShortcuts(DesktopModel *model, DesktopLayer *layer, int iconSize,
                                   CompositorWatch *compositor, QObject *parent)
    : LooseItems(parent)
    , m_model(model)
    , m_layer(layer)
    , m_compositor(compositor)
    , m_iconSize(iconSize)
    , m_executor([](QDrag *drag) { drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction); })
{
    connect(m_model, &DesktopModel::reloaded, this, &DesktopShortcuts::rebuild);
    // Icons arrive after the names.
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this] {
        for (DesktopShortcut *s : std::as_const(m_shortcuts))
            s->refresh();
    });
    // A shortcut must stay where the user can reach it when screens come, go or change size.
    connect(qApp, &QGuiApplication::screenRemoved, this, &DesktopShortcuts::scheduleRebuild);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        scheduleRebuild();
    });
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watchScreen(screen);
    rebuild();
}

DesktopShortcuts::~DesktopShortcuts()
{
    removeSurfaces();
    for (DesktopShortcut *s : std::as_const(m_shortcuts)) {
        if (m_layer)
            m_layer->untrack(s);
        delete s;
    }
}

void DesktopShortcuts::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::availableGeometryChanged, this, &DesktopShortcuts::scheduleRebuild);
    connect(screen, &QScreen::geometryChanged, this, &DesktopShortcuts::scheduleRebuild);
}

void DesktopShortcuts::scheduleRebuild()
{
    if (m_rebuildQueued)
        return;
    m_rebuildQueued = true;
    QTimer::singleShot(0, this, &DesktopShortcuts::rebuild);
}

DesktopShortcut *DesktopShortcuts::makeShortcut()
{
    auto *s = new DesktopShortcut(m_model, m_compositor);
    s->setOnDrag(
        [this](QWidget *source, QMimeData *mime, const QPixmap &pixmap) { runDrag(source, mime, pixmap); });
    s->setOnPressed([this] {
        clearSelection();
        Q_EMIT selectionActivated();
    });
    s->setOnMenuClosed([this] { scheduleRebuild(); });
    s->setOnDropped([this](const QStringList &keys, QPoint point) { itemsDroppedOnShortcut(keys, point); });
    if (m_layer) {
        m_layer->track(s, QString());
        m_layer->setKeepOnTop(s, false);
    }
    return s;
}

void DesktopShortcuts::rebuild()
{
    m_rebuildQueued = false;
    const QList<ShortcutGeometry::ScreenArea> screens = ShortcutGeometry::currentScreens();
    const int primary = ShortcutGeometry::primaryScreenIndex();
    const QSize cell = ShortcutGeometry::cellSize(m_iconSize);
    QSet<QString> seen;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        const QString key = index.data(DesktopModel::KeyRole).toString();
        const std::optional<QPoint> stored = PanelLayoutStore::desktopPosition(key);
        if (!stored)
            continue;
        seen.insert(key);
        DesktopShortcut *s = m_shortcuts.value(key);
        if (!s) {
            s = makeShortcut();
            m_shortcuts.insert(key, s);
        }
        const QString name = index.data(Qt::DisplayRole).toString();
        s->setIndex(index);
        s->setIconSize(m_iconSize);
        s->resize(cell);
        s->setWindowTitle(name);
        s->setToolTip(name);
        s->setAccessibleName(name);
        // Shown inside the screens as they are now; the stored place stays until the user moves it.
        s->move(ShortcutGeometry::clampToAvailable(*stored, cell, screens, primary));
        s->setVisible(m_shown);
        s->refresh();
    }
    for (auto it = m_shortcuts.begin(); it != m_shortcuts.end();) {
        DesktopShortcut *s = it.value();
        if (seen.contains(it.key()) || s->isMenuOpen() || (m_dragSource && m_dragSource == s)) {
            ++it;
            continue;
        }
        it = m_shortcuts.erase(it);
        if (m_layer)
            m_layer->untrack(s);
        s->hide();
        s->deleteLater();
    }
    if (m_layer)
        m_layer->reassert();
}

void DesktopShortcuts::setShown(bool shown)
{
    m_shown = shown;
    for (DesktopShortcut *s : std::as_const(m_shortcuts))
        s->setVisible(shown);
    if (m_layer)
        m_layer->reassert();
}

bool DesktopShortcuts::hasVisibleShortcuts() const
{
    return std::any_of(m_shortcuts.cbegin(), m_shortcuts.cend(),
                       [](const DesktopShortcut *s) { return s->isVisible(); });
}

void DesktopShortcuts::setIconSize(int pixels)
{
    m_iconSize = pixels;
    rebuild();
}

void DesktopShortcuts::clearSelection()
{
    for (DesktopShortcut *s : std::as_const(m_shortcuts))
        s->setSelected(false);
}

void DesktopShortcuts::createSurfaces()
{
    // Drops on the program's own windows (panels and the like) belong to them,
    // wherever the window manager stacks the surfaces: those parts are cut out.
    QRegion others;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        const bool takesInput = !w->windowFlags().testFlag(Qt::WindowTransparentForInput) &&
                                !w->testAttribute(Qt::WA_TransparentForMouseEvents);
        if (w->isVisible() && takesInput && !qobject_cast<const DesktopShortcut *>(w) &&
            !qobject_cast<const DesktopDropSurface *>(w))
            others += w->frameGeometry();
    }
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        const QRect area = screen->availableGeometry();
        auto *surface = new DesktopDropSurface(area, m_compositor);
        const QRegion covered = others.translated(-area.topLeft());
        if (!covered.isEmpty())
            surface->setMask(QRegion(surface->rect()) - covered);
        m_surfaces.append(surface);
    }
    // Shown once all are made: a surface takes the screen beneath it when made
    // (without a compositing manager), which must not hold another surface.
    for (DesktopDropSurface *surface : std::as_const(m_surfaces)) {
        if (m_layer) {
            m_layer->track(surface, QString());
            m_layer->setKeepOnTop(surface, false);
        }
        surface->show();
    }
}

void DesktopShortcuts::removeSurfaces()
{
    const QList<DesktopDropSurface *> surfaces = std::exchange(m_surfaces, {});
    for (DesktopDropSurface *surface : surfaces) {
        if (m_layer)
            m_layer->untrack(surface);
        surface->hide();
        delete surface;
    }
}

void DesktopShortcuts::itemsDroppedOnShortcut(const QStringList &keys, QPoint point)
{
    if (m_dragging)
        m_shortcutDrop = std::make_pair(keys, point);
}

void DesktopShortcuts::runDrag(QWidget *source, QMimeData *mime, const QPixmap &pixmap)
{
    if (m_dragging || !source) {
        delete mime;
        return;
    }
    m_dragging = true;
    m_dragSource = source;
    m_shortcutDrop.reset();
    createSurfaces();

    // The drag belongs to this object, not to the source: a window that goes
    // away while the drag runs (a panel emptied by a reload) must not take the
    // drag with it.
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(pixmap);
    drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
    m_executor(drag);
    delete drag;
    // As they were when the drop ended the drag: they choose copy or move.
    const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();

    QStringList keys;
    QPoint point;
    if (m_shortcutDrop)
        std::tie(keys, point) = *m_shortcutDrop;
    for (const DesktopDropSurface *surface : std::as_const(m_surfaces)) {
        if (surface->hasDrop()) {
            keys = surface->droppedKeys();
            point = surface->dropPoint();
        }
    }
    removeSurfaces();
    m_shortcutDrop.reset();
    m_dragSource.clear();
    m_dragging = false;
    if (m_layer)
        m_layer->reassert();
    if (!keys.isEmpty()) {
        // After the drag's own event handling has finished.
        QTimer::singleShot(0, this, [this, keys, point, held] { placeDroppedItems(keys, point, held); });
    } else {
        // A window kept for the drag may be due to go.
        scheduleRebuild();
    }
    Q_EMIT dragFinished();
}

void DesktopShortcuts::placeDroppedItems(const QStringList &keys, QPoint point,
                                         Qt::KeyboardModifiers modifiers)
{
    // A run that cannot know where windows are cannot know where the drop
    // landed either: the items stay where they were.
    if (!PanelFrame::mayStoreGeometry(nullptr)) {
        scheduleRebuild();
        return;
    }
    QHash<QString, int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row)
        rows.insert(m_model->index(row, 0).data(DesktopModel::KeyRole).toString(), row);
    QStringList present;
    QStringList others;
    for (const QString &key : keys)
        (rows.contains(key) ? present : others).append(key);
    if (!others.isEmpty())
        Q_EMIT foreignItemsDropped(others, point, modifiers);
    placeItems(present, point);
}

void DesktopShortcuts::placeItems(const QStringList &present, QPoint point)
{
    const QList<QPoint> positions = ShortcutGeometry::dropPositions(int(present.size()), point, m_iconSize,
                                                                    ShortcutGeometry::currentScreens(),
                                                                    ShortcutGeometry::primaryScreenIndex());
    for (qsizetype i = 0; i < present.size(); ++i)
        PanelLayoutStore::setDesktopPosition(present.at(i), positions.at(i));
    m_model->reload();
}
