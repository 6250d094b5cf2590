#include "shell/DesktopModel.h"

#include "base/FileSuffix.h"
#include "base/StartupHold.h"
#include "base/VirtualItem.h"
#include "shell/DesktopSource.h"
#include "shell/IconLoader.h"
#include "shell/IconSource.h"
#include "shell/ItemActions.h"
#include "shell/NaturalOrder.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <numeric>

namespace {

constexpr int reloadDelayMs = 250;
// GUI time spent on arriving icons within one turn of the event loop.
constexpr qint64 iconBudgetMs = 8;
// How long leaving waits for the icon worker to finish the request at hand.
constexpr int iconThreadQuitMs = 1000;

qreal currentRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// Names may carry line breaks or other control characters (a file name may hold
// almost any byte); they are shown on one line.
QString displayable(const QString &name)
{
    const auto isControl = [](QChar c) {
        return c.category() == QChar::Other_Control;
    };
    if (std::none_of(name.cbegin(), name.cend(), isControl))
        return name; // the common case shares the string instead of copying it
    QString shown = name;
    std::replace_if(shown.begin(), shown.end(), isControl, QLatin1Char(' '));
    return shown;
}

// The URL of a file from the bytes that name it when the text path is lossy
// (a name that is not valid UTF-8), so a drop reaches the right file.
QUrl localFileUrl(const QString &path, const QByteArray &pidl)
{
    if (!pidl.startsWith('/') || QFile::encodeName(path) == pidl)
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + pidl.toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace

DesktopModel::DesktopModel(std::unique_ptr<DesktopSource> source, std::unique_ptr<ItemClassifier> classifier,
                           QObject *parent)
    : DesktopModel(std::move(source), nullptr, nullptr, std::move(classifier), parent)
{}

DesktopModel::DesktopModel(std::unique_ptr<DesktopSource> source, std::unique_ptr<IconSource> icons,
                           std::unique_ptr<ItemActions> actions, std::unique_ptr<ItemClassifier> classifier,
                           QObject *parent)
    : QAbstractListModel(parent)
    , m_source(std::move(source))
    , m_actions(std::move(actions))
    , m_classifier(std::move(classifier))
{
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(reloadDelayMs);
    connect(&m_reloadTimer, &QTimer::timeout, this, &DesktopModel::reload);
    // Zero delay: runs at the next turn of the event loop, after what is queued now.
    m_iconTurn.setSingleShot(true);
    m_iconTurn.setInterval(0);
    connect(&m_iconTurn, &QTimer::timeout, this, &DesktopModel::applyDeferredIcons);

    m_iconThread = new QThread;
    m_iconThread->setObjectName(QStringLiteral("icons"));
    m_hasIconSource = icons != nullptr;
    m_iconLoader = new IconLoader(std::move(icons));
    m_iconLoader->moveToThread(m_iconThread);
    connect(m_iconThread, &QThread::started, m_iconLoader, &IconLoader::begin);
    // Direct: the loader tidies up on its own thread as that thread ends.
    connect(m_iconThread, &QThread::finished, m_iconLoader, &IconLoader::finish, Qt::DirectConnection);
    connect(m_iconLoader, &IconLoader::loaded, this, &DesktopModel::iconLoaded, Qt::QueuedConnection);
    m_iconThread->start(QThread::InheritPriority);

    if (m_source)
        m_watcher = m_source->createWatcher();
    if (m_watcher)
        connect(m_watcher.get(), &DesktopWatcher::changed, this, &DesktopModel::queueReload);
    reload();
}

DesktopModel::~DesktopModel()
{
    // The worker may be inside a request; it finishes that one and drops the
    // rest. A request can take long (a picture on a hung network mount), and
    // leaving must not wait for it: past the deadline the thread and loader are
    // left to delete themselves when the request returns. Their answers reach
    // nobody, since connections to this model end with it.
    m_iconLoader->abandon();
    m_iconThread->quit();
    if (m_iconThread->wait(QDeadlineTimer(iconThreadQuitMs))) {
        delete m_iconLoader;
        delete m_iconThread;
    } else {
        // Deferred deletes of a thread's objects run as the thread finishes.
        connect(m_iconThread, &QThread::finished, m_iconLoader, &QObject::deleteLater, Qt::DirectConnection);
        connect(m_iconThread, &QThread::finished, m_iconThread, &QObject::deleteLater);
    }
    m_iconLoader = nullptr;
    m_iconThread = nullptr;
    m_watcher.reset();
    m_reloadTimer.stop();
    m_items.clear();
}

QString DesktopModel::itemMimeType()
{
    return QStringLiteral("application/x-brim-vale-item");
}

bool DesktopModel::isValidRow(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() >= 0 && index.row() < m_items.size();
}

int DesktopModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant DesktopModel::data(const QModelIndex &index, int role) const
{
    if (!isValidRow(index))
        return {};
    const Item &item = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return item.name;
    case Qt::DecorationRole:
        return item.icon;
    case CategoryRole:
        return item.category;
    case PanelRole:
        return item.panelId;
    case KeyRole:
        return item.key;
    case FolderRole:
        return item.isFolder;
    case SuffixRole:
        return item.suffix;
    default:
        return {};
    }
}

Qt::ItemFlags DesktopModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractListModel::flags(index);
    if (isValidRow(index))
        result |= Qt::ItemIsDragEnabled;
    return result;
}

Qt::DropActions DesktopModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::LinkAction;
}

QStringList DesktopModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list"), itemMimeType()};
}

QMimeData *DesktopModel::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    QList<QUrl> urls;
    QStringList keys;
    for (const QModelIndex &index : indexes) {
        if (!isValidRow(index))
            continue;
        const Item &item = m_items.at(index.row());
        if (!item.path.isEmpty())
            urls.append(localFileUrl(item.path, item.handle()));
        // The payload separates keys by line feeds; a key that holds one would
        // arrive as two keys naming other items, so it travels by URL only.
        if (!item.key.contains(QLatin1Char('\n')))
            keys.append(item.key);
    }
    auto *mime = new QMimeData;
    if (!urls.isEmpty())
        mime->setUrls(urls);
    mime->setData(itemMimeType(), keys.join(QLatin1Char('\n')).toUtf8());
    return mime;
}

void DesktopModel::setIconSize(int px)
{
    if (px == m_iconSize)
        return;
    m_iconSize = px;
    reload();
}

QList<int> DesktopModel::presentCategories() const
{
    QList<int> result;
    for (const Item &item : m_items) {
        if (item.category >= 0 && !result.contains(item.category))
            result.append(item.category);
    }
    std::sort(result.begin(), result.end());
    return result;
}

QString DesktopModel::itemPath(const QModelIndex &index) const
{
    return isValidRow(index) ? m_items.at(index.row()).path : QString();
}

QStringList DesktopModel::itemKeys(const QModelIndexList &indexes) const
{
    QStringList result;
    for (const QModelIndex &index : indexes) {
        if (isValidRow(index))
            result.append(m_items.at(index.row()).key);
    }
    return result;
}

QByteArray DesktopModel::folderPath() const
{
    return m_source ? m_source->folderPath() : QByteArray();
}

QByteArray DesktopModel::Item::handle() const
{
    return DesktopEntry::handleOf(pidl, handleIsPath, path);
}

bool DesktopModel::openItem(const QModelIndex &index)
{
    return isValidRow(index) && m_actions && m_actions->open(m_items.at(index.row()).handle());
}

bool DesktopModel::invokeVerb(const QModelIndex &index, const QString &verb,
                              const ItemActions::Refused &refused)
{
    return isValidRow(index) && m_actions &&
           m_actions->invokeVerb(m_items.at(index.row()).handle(), verb, refused);
}

bool DesktopModel::openPath(const QString &path)
{
    return !path.isEmpty() && m_actions && m_actions->open(QFile::encodeName(path));
}

bool DesktopModel::showItemMenu(QWidget *owner, const QModelIndexList &indexes)
{
    QList<QByteArray> handles;
    for (const QModelIndex &index : indexes) {
        if (isValidRow(index))
            handles.append(m_items.at(index.row()).handle());
    }
    return !handles.isEmpty() && m_actions && m_actions->showMenu(owner, handles);
}

void DesktopModel::queueReload()
{
    m_reloadTimer.start();
}

void DesktopModel::reload()
{
    if (m_classifier)
        m_classifier->prepare();
    beginResetModel();
    // The items of the reload before are freed on the next turn of the event
    // loop: on a crowded desktop freeing them costs as much as sorting the new
    // ones, and a reload should hold up the panels only as long as it must.
    QTimer::singleShot(0, this, [previous = std::exchange(m_items, {})] {});
    ++m_generation;
    m_deferredIcons.clear();

    const qreal ratio = currentRatio();
    // The same image makes the same pixmap only at the same device pixel ratio.
    if (ratio != m_iconRatio)
        m_icons.clear();
    m_iconRatio = ratio;
    m_previousIcons = std::exchange(m_icons, {});
    m_iconsAwaited = 0;
    const QIcon folderIcon = m_source ? m_source->genericIcon(true, m_iconSize, ratio) : QIcon();
    const QIcon fileIcon = m_source ? m_source->genericIcon(false, m_iconSize, ratio) : QIcon();

    QList<DesktopEntry> entries;
    if (m_source) {
        const bool includeHidden = m_source->showsHiddenFiles();
        const QSet<QString> hiddenVirtual = m_source->hiddenVirtualItems();
        m_sourceReadable = m_source->enumerate(includeHidden, entries);
        m_items.reserve(entries.size());
        for (DesktopEntry &entry : entries) {
            if (VirtualItem::isVirtual(entry.parsingName) &&
                hiddenVirtual.contains(VirtualItem::clsid(entry.parsingName)))
                continue;
            Item item;
            item.pidl = std::move(entry.pidl);
            item.handleIsPath = entry.handleIsPath;
            item.isFolder = entry.isFolder;
            item.category = m_classifier ? m_classifier->category(entry.isFolder, entry.parsingName) : -1;
            item.path = std::move(entry.path);
            item.icon = item.isFolder ? folderIcon : fileIcon;
            item.key = entry.parsingName.isEmpty() ? item.path : entry.parsingName;
            if (!item.isFolder && !item.path.isEmpty())
                item.suffix = fileSuffix(item.path);
            if (m_classifier)
                item.panelId = m_classifier->panelId(item.key, item.category);
            item.name = displayable(entry.displayName.isEmpty() ? entry.parsingName : entry.displayName);
            m_items.append(std::move(item));
        }
    }

    // Sort keys are built once per item; comparing them is a byte comparison,
    // which keeps a crowded desktop's reload far below a frame.
    const QCollator collator = naturalCollator();
    std::vector<QCollatorSortKey> sortKeys;
    std::vector<char> folders; // side by side with the keys: the sort reads nothing else
    sortKeys.reserve(m_items.size());
    folders.reserve(m_items.size());
    for (const Item &item : std::as_const(m_items)) {
        sortKeys.push_back(collator.sortKey(item.name));
        folders.push_back(item.isFolder);
    }
    std::vector<qsizetype> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (folders[a] != folders[b])
            return folders[a] != 0;
        return sortKeys[a].compare(sortKeys[b]) < 0;
    });
    // Items move into their places along the permutation's cycles: a second
    // list would be megabytes of fresh memory on a crowded desktop.
    Item *items = m_items.data();
    for (qsizetype start = 0; start < qsizetype(order.size()); ++start) {
        if (order[start] == start)
            continue;
        Item held = std::move(items[start]);
        qsizetype at = start;
        for (qsizetype from = order[at]; from != start; from = order[at]) {
            items[at] = std::move(items[from]);
            order[at] = at;
            at = from;
        }
        items[at] = std::move(held);
        order[at] = at;
    }

    endResetModel();

    // One queued hand-over per reload, rows ascending; the loader serves them in order.
    if (m_hasIconSource) {
        QList<IconLoader::Request> requests;
        requests.reserve(m_items.size());
        for (int row = 0; row < m_items.size(); ++row) {
            // A handle that is the path's bytes is made by the worker, as it
            // comes to the item: a crowded desktop's would all wait at once.
            const Item &item = m_items.at(row);
            if (item.handleIsPath || !item.pidl.isEmpty())
                requests.append(
                    {m_generation, row, item.pidl, item.path, item.handleIsPath, m_iconSize, ratio});
        }
        m_iconsAwaited = requests.size();
        // Handed over at the next turn of the event loop, and at start-up once
        // the windows are on screen: a worker decoding pictures beside the
        // window manager holds up the mapping of a crowded desktop's panels.
        auto handOver = [this, generation = m_generation, batch = std::move(requests)]() mutable {
            if (generation != m_generation)
                return; // a later reload sent its own
            QMetaObject::invokeMethod(
                m_iconLoader,
                [loader = m_iconLoader, batch = std::move(batch)]() mutable {
                    loader->enqueue(std::move(batch));
                },
                Qt::QueuedConnection);
        };
        StartupHold::whenReleased(this, [this, handOver = std::move(handOver)]() mutable {
            QMetaObject::invokeMethod(this, std::move(handOver), Qt::QueuedConnection);
        });
    }
    Q_EMIT reloaded();
}

void DesktopModel::iconLoaded(quint64 generation, int row, const QImage &icon)
{
    if (generation != m_generation)
        return;
    if (m_iconsAwaited > 0)
        --m_iconsAwaited;
    if (row < 0 || row >= m_items.size() || icon.isNull()) {
        dropPreviousIconsWhenDone();
        return;
    }
    // The worker answers cheap icons far faster than views repaint, and queued
    // answers are delivered in one go. Past a frame's budget within one turn of
    // the event loop the rest waits for the next turns, so input and painting
    // keep flowing while a crowded desktop's icons pour in.
    if (!m_deferredIcons.isEmpty() || (m_iconBurst.isValid() && m_iconBurst.elapsed() >= iconBudgetMs)) {
        m_deferredIcons.append({row, icon});
        m_iconTurn.start();
        return;
    }
    if (!m_iconBurst.isValid()) {
        m_iconBurst.start();
        m_iconTurn.start();
    }
    applyIcon(row, icon);
    dropPreviousIconsWhenDone();
}

void DesktopModel::applyDeferredIcons()
{
    m_iconBurst.start();
    while (!m_deferredIcons.isEmpty() && m_iconBurst.elapsed() < iconBudgetMs) {
        const DeferredIcon next = m_deferredIcons.takeFirst();
        applyIcon(next.row, next.image);
    }
    if (m_deferredIcons.isEmpty())
        m_iconBurst.invalidate();
    else
        m_iconTurn.start();
    dropPreviousIconsWhenDone();
}

void DesktopModel::dropPreviousIconsWhenDone()
{
    if (m_iconsAwaited == 0 && m_deferredIcons.isEmpty())
        m_previousIcons.clear();
}

QIcon DesktopModel::sharedIcon(const QImage &image)
{
    // A cache key names the image's data as it is: a changed image has another.
    const qint64 key = image.cacheKey();
    if (const auto known = m_icons.constFind(key); known != m_icons.constEnd())
        return *known;
    QIcon icon = m_previousIcons.take(key);
    if (icon.isNull()) {
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(m_iconRatio);
        icon = QIcon(pixmap);
    }
    m_icons.insert(key, icon);
    return icon;
}

void DesktopModel::applyIcon(int row, const QImage &image)
{
    m_items[row].icon = sharedIcon(image);
    const QModelIndex changed = index(row, 0);
    Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
}
