#include "FolderPanels.h"

#include "base/l10n/L10n.h"
#include "panels/IconPanel.h"
#include "panels/ItemPlacement.h"
#include "panels/LooseItems.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"
#include "shell/TransferRules.h"
#include "transfer/TransferMonitor.h"

#include <QAction>
#include <QConcatenateTablesProxyModel>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

const char *const unavailableText = QT_TRANSLATE_NOOP("Brimvale", "This folder is not available");

} // namespace

FolderPanels::FolderPanels(DesktopModel *desktop, bool separatePanels, QObject *parent)
    : QObject(parent)
    , m_desktop(desktop)
    , m_separatePanels(separatePanels)
    , m_chooseFolder([] { return QFileDialog::getExistingDirectory(); })
    , m_search(new QConcatenateTablesProxyModel(this))
    , m_monitor(new TransferMonitor(this))
{
    connect(m_monitor, &TransferMonitor::noticeRequested, this, &FolderPanels::noticeRequested);
    m_newPanel = new QAction(this);
    L10n::bind(m_newPanel, "text", "New folder panel…");
    m_newPanel->setVisible(false);
    connect(m_newPanel, &QAction::triggered, this, &FolderPanels::chooseFolder);
    m_search->addSourceModel(m_desktop);
    m_recheck.setInterval(recheckMs);
    connect(&m_recheck, &QTimer::timeout, this, &FolderPanels::recheck);
    L10n::onLanguageChanged(this, [this] {
        for (auto it = m_models.constBegin(); it != m_models.constEnd(); ++it)
            showAvailability(it.key(), it.value());
    });
}

void FolderPanels::setModelFactory(ModelFactory factory)
{
    m_makeModel = std::move(factory);
    m_newPanel->setVisible(m_separatePanels && isAvailable());
}

FolderPanels::~FolderPanels()
{
    // The panels go first (the panel set deletes them); any left keep their models.
    for (auto it = m_models.constBegin(); it != m_models.constEnd(); ++it)
        disconnect(it.key(), nullptr, this, nullptr);
}

void FolderPanels::chooseFolder()
{
    const QString chosen = m_chooseFolder();
    if (chosen.isEmpty())
        return;
    const QString name = QFileInfo(chosen).fileName();
    PanelLayoutStore::createPanel(name.isEmpty() ? chosen : name, QFile::encodeName(chosen));
    Q_EMIT panelCreated();
}

IconPanel *FolderPanels::makePanel(const QString &id, const IconPanelOptions &options, const QString &title)
{
    const QByteArray folder = PanelLayoutStore::panelFolder(id);
    if (!m_makeModel || folder.isEmpty())
        return nullptr;
    // Its items are searched with the desktop's and named as this panel's.
    DesktopModel *model = m_makeModel(folder, std::make_unique<ItemPlacement>(id)).release();
    if (!model)
        return nullptr;
    model->setIconSize(options.iconSize);
    auto *panel = new IconPanel(options, model, nullptr, title, PanelLayoutStore::settingsPrefix(id));
    m_models.insert(panel, model);
    m_search->addSourceModel(model);
    connect(model, &DesktopModel::reloaded, panel, [this, panel, model] { showAvailability(panel, model); });
    // The panel's views are gone by now; nothing else uses the model.
    connect(panel, &QObject::destroyed, this, [this, panel] {
        DesktopModel *gone = m_models.take(panel);
        m_search->removeSourceModel(gone);
        delete gone;
    });
    showAvailability(panel, model);
    return panel;
}

void FolderPanels::setIconSize(int px)
{
    for (DesktopModel *model : std::as_const(m_models))
        model->setIconSize(px);
}

void FolderPanels::showAvailability(IconPanel *panel, const DesktopModel *model)
{
    const bool readable = model->isSourceReadable();
    panel->setNotice(readable ? QString() : L10n::text(unavailableText));
    if (!readable && !m_recheck.isActive())
        m_recheck.start();
}

void FolderPanels::recheck()
{
    bool missing = false;
    for (DesktopModel *model : std::as_const(m_models)) {
        if (!model->isSourceReadable()) {
            missing = true;
            model->reload();
        }
    }
    if (!missing)
        m_recheck.stop();
}

QList<DesktopModel *> FolderPanels::models() const
{
    return QList<DesktopModel *>{m_desktop} + m_models.values();
}

QAbstractItemModel *FolderPanels::searchModel() const
{
    return m_search;
}

QModelIndex FolderPanels::itemIndex(const QModelIndex &index) const
{
    return index.model() == m_search ? m_search->mapToSource(index) : index;
}

DesktopModel *FolderPanels::modelOf(const QModelIndex &index) const
{
    const QModelIndex item = itemIndex(index);
    const QList<DesktopModel *> all = models();
    for (DesktopModel *model : all) {
        if (item.model() == model)
            return model;
    }
    return nullptr;
}

QStringList FolderPanels::pathsOf(const QStringList &keys, const DesktopModel *except) const
{
    const QSet<QString> wanted(keys.cbegin(), keys.cend());
    QStringList paths;
    const QList<DesktopModel *> all = models();
    for (const DesktopModel *model : all) {
        if (model == except)
            continue;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            const QString path = model->itemPath(index);
            if (!path.isEmpty() && wanted.contains(index.data(DesktopModel::KeyRole).toString()))
                paths.append(path);
        }
    }
    return paths;
}

bool FolderPanels::carryDrop(IconPanel *target, const QStringList &keys, const QString &groupId,
                             Qt::KeyboardModifiers modifiers)
{
    DesktopModel *into = target->model();
    const QStringList sources = pathsOf(keys, into);
    if (sources.isEmpty())
        return false;
    const bool toDesktop = into == m_desktop;
    transfer(sources, into->folderPath(), modifiers, [this, toDesktop, groupId](const QStringList &targets) {
        // A custom panel keeps what was dropped on it, under the name it arrived with.
        if (toDesktop && PanelLayoutStore::isCustomPanel(groupId) && !targets.isEmpty())
            PanelLayoutStore::assignItems(targets, groupId);
    });
    return true;
}

void FolderPanels::followLooseItems(LooseItems *items)
{
    connect(items, &LooseItems::foreignItemsDropped, this, &FolderPanels::carryToDesktop);
    connect(this, &FolderPanels::placeRequested, items, &LooseItems::placeItems);
}

bool FolderPanels::carryToDesktop(const QStringList &keys, QPoint point, Qt::KeyboardModifiers modifiers)
{
    const QStringList sources = pathsOf(keys, m_desktop);
    if (sources.isEmpty())
        return false;
    transfer(sources, m_desktop->folderPath(), modifiers, [this, point](const QStringList &targets) {
        if (!targets.isEmpty())
            Q_EMIT placeRequested(targets, point);
    });
    return true;
}

void FolderPanels::transfer(const QStringList &sources, const QByteArray &folder,
                            Qt::KeyboardModifiers modifiers,
                            std::function<void(const QStringList &targets)> arrived)
{
    if (!m_makeTransfer || folder.isEmpty())
        return;
    FileTransfer *job = m_makeTransfer(this);
    connect(job, &FileTransfer::finished, this,
            [this, job, arrived = std::move(arrived)](const QStringList &targets) {
                QStringList done = targets;
                done.removeAll(QString());
                arrived(done);
                // Every folder shown learns of the change at once, watched or not.
                const QList<DesktopModel *> all = models();
                for (DesktopModel *model : all)
                    model->queueReload();
                job->deleteLater();
            });
    const FileTransfer::Mode mode = TransferRules::modeFor(modifiers);
    job->start(sources, QFile::decodeName(folder), mode);
    m_monitor->follow(job, int(sources.size()), mode);
}
