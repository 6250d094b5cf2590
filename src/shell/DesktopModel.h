#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <QTimer>

#include <memory>

class DesktopSource;

// Everything that lies on the desktop, one row per item, in folder-first natural
// order. Every panel, the loose desktop items and the search are views over it.
//
// Roles:
//   Qt::DisplayRole, Qt::ToolTipRole  name (QString)
//   Qt::DecorationRole                icon (QIcon): a placeholder until the real one arrives
//   CategoryRole                      category number 0-9 (int)
//   PanelRole                         id of the panel that shows the item (QString)
//   KeyRole                           stable item key: its path, or "::{CLSID}" (QString)
//   FolderRole                        whether the item is a folder (bool)
//   SuffixRole                        lower-case suffix of a file, else empty (QString)
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

    explicit DesktopModel(QObject *parent = nullptr);
    explicit DesktopModel(std::unique_ptr<DesktopSource> source, QObject *parent = nullptr);
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
    QList<QByteArray> itemPidls(const QModelIndexList &indexes) const;
    QStringList itemKeys(const QModelIndexList &indexes) const;

    quint64 generation() const { return m_generation; }

    static QString itemMimeType();

public Q_SLOTS:
    void reload();
    void queueReload();

Q_SIGNALS:
    void reloaded();
    void iconWanted(quint64 generation, int row, const QByteArray &pidl, int size, double ratio);

private Q_SLOTS:
    void iconLoaded(quint64 generation, int row, const QImage &icon);

private:
    struct Item
    {
        QByteArray pidl;
        QString name;
        QIcon icon;
        QString path;
        QString key;
        QString suffix;
        QString panelId;
        bool isFolder = false;
        int category = 9;
    };

    bool isValidRow(const QModelIndex &index) const;

    std::unique_ptr<DesktopSource> m_source;
    QList<Item> m_items;
    int m_iconSize = 48;
    quint64 m_generation = 0;
    QTimer m_reloadTimer;

    friend class TestDesktopModel;
};
