#pragma once

#include "shell/IconSource.h"
#include "shell/ItemActions.h"
#include "shell/ItemClassifier.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QThread>
#include <QTimer>

#include <memory>

class DesktopSource;
class DesktopWatcher;
class IconLoader;

// Everything that lies on the desktop, one row per item, in folder-first natural
// order. Every panel, the loose desktop items and the search are views over it.
//
// Roles:
//   Qt::DisplayRole, Qt::ToolTipRole  name (QString)
//   Qt::DecorationRole                icon (QIcon): a placeholder until the real one arrives
//   CategoryRole                      category number 0-9 (int)
//   PanelRole                         id of the panel that shows the item (QString)
//   KeyRole                           stable item key: the source's parsing name (QString)
//   FolderRole                        whether the item is a folder (bool)
//   SuffixRole                        lower-case suffix of a file, else empty (QString)
//
// Real icons are made on the model's icon thread and replace the placeholders
// row by row; a reload starts a new generation, and answers of older ones are
// dropped. Answers that share their image data (the icon source hands out one
// image per theme icon and size, and one per thumbnail) share one pixmap, also
// with the generation before. Changes the desktop source reports reload the model 250 ms after the
// last one.
class DesktopModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles : int
    {
        CategoryRole = Qt::UserRole + 1,
        PanelRole,
        KeyRole,
        FolderRole,
        SuffixRole,
    };

    // The given desktop; items keep their placeholders and open nothing. Without
    // a classifier every item has category -1 and no panel.
    explicit DesktopModel(std::unique_ptr<DesktopSource> source,
                          std::unique_ptr<ItemClassifier> classifier = {}, QObject *parent = nullptr);
    // A null icon source keeps the placeholders; null actions open nothing.
    DesktopModel(std::unique_ptr<DesktopSource> source, std::unique_ptr<IconSource> icons,
                 std::unique_ptr<ItemActions> actions, std::unique_ptr<ItemClassifier> classifier = {},
                 QObject *parent = nullptr);
    ~DesktopModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    int iconSize() const { return m_iconSize; }
    void setIconSize(int px);

    QList<int> presentCategories() const;
    QString itemPath(const QModelIndex &index) const;
    QStringList itemKeys(const QModelIndexList &indexes) const;

    // Open the item as the desktop would, or run a named command on it
    // ("properties"). False for an invalid index or when nothing could be
    // started; a later refusal goes to `refused` (see ItemActions::invokeVerb).
    bool openItem(const QModelIndex &index);
    bool invokeVerb(const QModelIndex &index, const QString &verb, const ItemActions::Refused &refused = {});
    // Opens any file or folder in the application the desktop uses for it.
    // The platform's own menu for the valid ones of indexes (ItemActions::showMenu).
    bool showItemMenu(QWidget *owner, const QModelIndexList &indexes);
    bool openPath(const QString &path);

    quint64 generation() const { return m_generation; }
    // Whether the last reload could read the source's folder (a folder panel's
    // may be gone: a drive unmounted, the folder deleted).
    bool isSourceReadable() const { return m_sourceReadable; }
    // The folder the items come from, by its exact bytes; empty where none is.
    QByteArray folderPath() const;

    static QString itemMimeType();

public Q_SLOTS:
    void reload();
    void queueReload();

Q_SIGNALS:
    void reloaded();

private Q_SLOTS:
    void iconLoaded(quint64 generation, int row, const QImage &icon);

private:
    struct Item
    {
        // The handle, when it is not the path's own bytes (see DesktopEntry).
        QByteArray pidl;
        QString name;
        QIcon icon;
        QString path;
        QString key;
        QString suffix;
        QString panelId;
        bool isFolder = false;
        bool handleIsPath = false;
        int category = 9;

        QByteArray handle() const;
    };

    struct DeferredIcon
    {
        int row;
        QImage image;
    };

    bool isValidRow(const QModelIndex &index) const;
    void applyDeferredIcons();
    void applyIcon(int row, const QImage &image);
    QIcon sharedIcon(const QImage &image);
    void dropPreviousIconsWhenDone();

    std::unique_ptr<DesktopSource> m_source;
    std::unique_ptr<ItemActions> m_actions;
    std::unique_ptr<ItemClassifier> m_classifier;
    QList<Item> m_items;
    int m_iconSize = 48;
    // Owned; left to tidy itself away when it outlasts the model (see the destructor).
    QThread *m_iconThread = nullptr;
    IconLoader *m_iconLoader = nullptr;
    bool m_hasIconSource = false;
    quint64 m_generation = 0;
    bool m_sourceReadable = false;
    QTimer m_reloadTimer;
    std::unique_ptr<DesktopWatcher> m_watcher;
    // Answers of the current generation waiting for a later turn of the event loop.
    QList<DeferredIcon> m_deferredIcons;
    QElapsedTimer m_iconBurst;
    QTimer m_iconTurn;
    // Icons by the cache key of the image they were made from: those of this
    // generation, and those of the one before until this one's have all arrived.
    QHash<qint64, QIcon> m_icons;
    QHash<qint64, QIcon> m_previousIcons;
    qreal m_iconRatio = 0;
    qsizetype m_iconsAwaited = 0;

    friend class TestDesktopModel;
};
