#include "DesktopModel.h"

#include "categories/CategoryRules.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopSource.h"
#include "shell/NaturalOrder.h"
#include "shell/Platform.h"

#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

#include <algorithm>
#include <numeric>

namespace {

constexpr int reloadDelayMs = 250;

qreal currentRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// Names may carry line breaks or other control characters (a file name may hold
// almost any byte); they are shown on one line.
QString displayable(QString name)
{
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return name;
}

} // namespace

DesktopModel::DesktopModel(QObject *parent)
    : DesktopModel(Platform::createDesktopSource(), parent)
{}

DesktopModel::DesktopModel(std::unique_ptr<DesktopSource> source, QObject *parent)
    : QAbstractListModel(parent)
    , m_source(std::move(source))
{
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(reloadDelayMs);
    connect(&m_reloadTimer, &QTimer::timeout, this, &DesktopModel::reload);
    reload();
}

DesktopModel::~DesktopModel() = default;

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
            urls.append(QUrl::fromLocalFile(item.path));
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
    bool present[categoryCount] = {};
    for (const Item &item : m_items) {
        if (item.category >= 0 && item.category < categoryCount)
            present[item.category] = true;
    }
    QList<int> result;
    for (int category : allCategories()) {
        if (present[category])
            result.append(category);
    }
    return result;
}

QString DesktopModel::itemPath(const QModelIndex &index) const
{
    return isValidRow(index) ? m_items.at(index.row()).path : QString();
}

QList<QByteArray> DesktopModel::itemPidls(const QModelIndexList &indexes) const
{
    QList<QByteArray> result;
    for (const QModelIndex &index : indexes) {
        if (isValidRow(index) && !m_items.at(index.row()).pidl.isEmpty())
            result.append(m_items.at(index.row()).pidl);
    }
    return result;
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

void DesktopModel::queueReload()
{
    m_reloadTimer.start();
}

void DesktopModel::reload()
{
    loadCategoryRules();
    beginResetModel();
    m_items.clear();
    ++m_generation;

    const qreal ratio = currentRatio();
    const QIcon folderIcon = m_source ? m_source->genericIcon(true, m_iconSize, ratio) : QIcon();
    const QIcon fileIcon = m_source ? m_source->genericIcon(false, m_iconSize, ratio) : QIcon();

    QList<DesktopEntry> entries;
    if (m_source) {
        const bool includeHidden = m_source->showsHiddenFiles();
        const QSet<QString> hiddenVirtual = m_source->hiddenVirtualItems();
        m_source->enumerate(includeHidden, entries);
        m_items.reserve(entries.size());
        for (DesktopEntry &entry : entries) {
            if (entry.parsingName.startsWith(QLatin1String("::{")) &&
                hiddenVirtual.contains(entry.parsingName.mid(2).toUpper()))
                continue;
            Item item;
            item.pidl = std::move(entry.pidl);
            item.isFolder = entry.isFolder;
            item.category = categorize(entry.isFolder, entry.parsingName);
            item.path = std::move(entry.path);
            item.icon = item.isFolder ? folderIcon : fileIcon;
            item.key = item.path.isEmpty() ? entry.parsingName : item.path;
            if (!item.isFolder && !item.path.isEmpty())
                item.suffix = fileSuffix(item.path);
            item.panelId = PanelLayoutStore::panelIdFor(item.key);
            if (item.panelId.isEmpty())
                item.panelId = categoryId(item.category);
            item.name = displayable(entry.displayName.isEmpty() ? entry.parsingName : entry.displayName);
            m_items.append(std::move(item));
        }
    }

    // Sort keys are built once per item; comparing them is a byte comparison,
    // which keeps a crowded desktop's reload far below a frame.
    const QCollator collator = naturalCollator();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(m_items.size());
    for (const Item &item : std::as_const(m_items))
        sortKeys.push_back(collator.sortKey(item.name));
    std::vector<qsizetype> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (m_items.at(a).isFolder != m_items.at(b).isFolder)
            return m_items.at(a).isFolder;
        return sortKeys[a].compare(sortKeys[b]) < 0;
    });
    QList<Item> sorted;
    sorted.reserve(m_items.size());
    for (qsizetype i : order)
        sorted.append(std::move(m_items[i]));
    m_items = std::move(sorted);

    endResetModel();

    for (int row = 0; row < m_items.size(); ++row) {
        if (!m_items.at(row).pidl.isEmpty())
            Q_EMIT iconWanted(m_generation, row, m_items.at(row).pidl, m_iconSize, ratio);
    }
    Q_EMIT reloaded();
}

void DesktopModel::iconLoaded(quint64 generation, int row, const QImage &icon)
{
    if (generation != m_generation || row < 0 || row >= m_items.size() || icon.isNull())
        return;
    QPixmap pixmap = QPixmap::fromImage(icon);
    pixmap.setDevicePixelRatio(currentRatio());
    m_items[row].icon = QIcon(pixmap);
    const QModelIndex changed = index(row, 0);
    Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
}
