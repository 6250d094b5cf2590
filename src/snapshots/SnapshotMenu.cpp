#include "snapshots/SnapshotMenu.h"

#include "base/l10n/L10n.h"
#include "look/AppStyle.h"
#include "snapshots/LayoutKeeper.h"
#include "snapshots/SnapshotFolder.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>
#include <QMenu>

namespace {

const char *const fileFilter = QT_TRANSLATE_NOOP("Brimvale", "Layout files (*.json)");

} // namespace

SnapshotMenu::SnapshotMenu(LayoutKeeper *keeper, QObject *parent)
    : QObject(parent)
    , m_keeper(keeper)
    , m_save(new QAction(this))
    , m_restore(new QMenu)
    , m_export(new QAction(this))
    , m_import(new QAction(this))
{
    L10n::bind(m_save, "text", "Save layout…");
    L10n::bind(m_restore, "title", "Restore layout");
    L10n::bind(m_export, "text", "Export layout…");
    L10n::bind(m_import, "text", "Import layout…");
    m_restore->setStyleSheet(AppStyle::menuStyleSheet());
    connect(m_restore, &QMenu::aboutToShow, this, &SnapshotMenu::fillRestoreMenu);
    connect(m_save, &QAction::triggered, this, &SnapshotMenu::askName, Qt::QueuedConnection);
    connect(m_export, &QAction::triggered, this, &SnapshotMenu::askExportFile, Qt::QueuedConnection);
    connect(m_import, &QAction::triggered, this, &SnapshotMenu::askImportFile, Qt::QueuedConnection);
}

SnapshotMenu::~SnapshotMenu()
{
    delete m_restore;
}

QList<QAction *> SnapshotMenu::actions() const
{
    return {m_save, m_restore->menuAction(), m_export, m_import};
}

void SnapshotMenu::fillRestoreMenu()
{
    m_restore->clear();
    const QList<SnapshotFolder::Entry> entries = SnapshotFolder::list(SnapshotFolder::folder());
    if (entries.isEmpty()) {
        m_restore->addAction(L10n::text("No saved layouts"))->setEnabled(false);
        return;
    }
    for (const SnapshotFolder::Entry &entry : entries) {
        // A name shows as typed: an "&" in it is no shortcut.
        QString name = entry.name;
        name.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *action = m_restore->addAction(
            QStringLiteral("%1 — %2").arg(name, QLocale().toString(entry.created, QLocale::ShortFormat)));
        const QString path = entry.path;
        connect(
            action, &QAction::triggered, m_keeper, [keeper = m_keeper, path] { keeper->restoreFrom(path); },
            Qt::QueuedConnection);
    }
}

void SnapshotMenu::askName()
{
    bool ok = false;
    const QString name =
        QInputDialog::getText(nullptr, L10n::text("Save layout…"), L10n::text("Name of this layout:"),
                              QLineEdit::Normal, QString(), &ok);
    if (ok)
        m_keeper->saveSnapshot(name);
}

void SnapshotMenu::askExportFile()
{
    const QString path = QFileDialog::getSaveFileName(
        nullptr, L10n::text("Export layout…"), QDir::home().filePath(QStringLiteral("larkspan-layout.json")),
        L10n::text(fileFilter));
    if (!path.isEmpty())
        m_keeper->exportTo(path);
}

void SnapshotMenu::askImportFile()
{
    const QString path = QFileDialog::getOpenFileName(nullptr, L10n::text("Import layout…"), QDir::homePath(),
                                                      L10n::text(fileFilter));
    if (!path.isEmpty())
        m_keeper->restoreFrom(path);
}
