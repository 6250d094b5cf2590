#pragma once

#include "panels/IconPanelOptions.h"
#include "shell/FileTransfer.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class DesktopModel;
class IconPanel;
class ItemClassifier;
class LooseItems;
class QAbstractItemModel;
class QAction;
class QConcatenateTablesProxyModel;
class QModelIndex;
class TransferMonitor;

// The panels that show another folder live: each has a model of its own over
// that folder (made by the platform's factory), shows a short notice while the
// folder cannot be read and looks for it again now and then, and carries files
// dropped between folders (a folder panel's and the desktop's) by a file
// transfer, which the transfer monitor follows for the user. "New folder
// panel…" is one action owned here.
class FolderPanels : public QObject
{
    Q_OBJECT

public:
    // A model over a folder named by its exact bytes, its items classified by `classifier`.
    using ModelFactory = std::function<std::unique_ptr<DesktopModel>(
        const QByteArray &folder, std::unique_ptr<ItemClassifier> classifier)>;
    using TransferFactory = std::function<FileTransfer *(QObject *parent)>;
    // Asks the user for a folder; empty when they declined.
    using FolderChooser = std::function<QString()>;

    // How often a folder that could not be read is looked for again, for what
    // its watch cannot see (a drive mounted over an empty mount point).
    static constexpr int recheckMs = 2000;

    // Without separate panels (single mode: one panel holds everything) no
    // folder panel is offered.
    FolderPanels(DesktopModel *desktop, bool separatePanels, QObject *parent);
    ~FolderPanels() override;

    // Offers "New folder panel…" from then on.
    void setModelFactory(ModelFactory factory);
    void setTransferFactory(TransferFactory factory) { m_makeTransfer = std::move(factory); }
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // Whether folder panels can be shown at all (a model factory was given).
    bool isAvailable() const { return bool(m_makeModel); }

    QAction *newPanelAction() const { return m_newPanel; }
    void setIconSize(int px);

    // A new panel over the folder panel id's folder; its model lives as long as it does.
    IconPanel *makePanel(const QString &id, const IconPanelOptions &options, const QString &title);

    // Files dropped on target from another folder's panel are moved or copied
    // into target's folder (mode by the modifiers); on arrival on the desktop
    // they join groupId's custom panel. False when every key is target's own.
    bool carryDrop(IconPanel *target, const QStringList &keys, const QString &groupId,
                   Qt::KeyboardModifiers modifiers);
    // Files dropped at a loose place on the desktop from a folder panel are
    // moved or copied to the desktop and placed there. False when none came
    // from a folder panel. The loose items report such drops from now on.
    void followLooseItems(LooseItems *items);
    bool carryToDesktop(const QStringList &keys, QPoint point, Qt::KeyboardModifiers modifiers);

    // The desktop's items and every folder panel's, for the quick search.
    QAbstractItemModel *searchModel() const;
    // The model and row behind an index of any of those models.
    QModelIndex itemIndex(const QModelIndex &index) const;
    DesktopModel *modelOf(const QModelIndex &index) const;

Q_SIGNALS:
    void panelCreated();
    // Files that arrived on the desktop at a place: the loose items take them.
    void placeRequested(const QStringList &keys, QPoint point);
    // A transfer's outcome for the user (files left where they were), shown
    // as the program shows its notices.
    void noticeRequested(const QString &title, const QString &text);

private:
    void chooseFolder();
    void showAvailability(IconPanel *panel, const DesktopModel *model);
    void recheck();
    QList<DesktopModel *> models() const;
    // The sources (paths) of the keys not in `except`, each model's in turn.
    QStringList pathsOf(const QStringList &keys, const DesktopModel *except) const;
    void transfer(const QStringList &sources, const QByteArray &folder, Qt::KeyboardModifiers modifiers,
                  std::function<void(const QStringList &targets)> arrived);

    DesktopModel *m_desktop;
    bool m_separatePanels;
    ModelFactory m_makeModel;
    TransferFactory m_makeTransfer;
    FolderChooser m_chooseFolder;
    QAction *m_newPanel = nullptr;
    // Each folder panel's model, by its panel; deleted once the panel is.
    QHash<IconPanel *, DesktopModel *> m_models;
    QConcatenateTablesProxyModel *m_search = nullptr;
    // Shows a lasting transfer's progress and says which files did not make it.
    TransferMonitor *m_monitor = nullptr;
    QTimer m_recheck;
};
