#include "snapshots/LayoutKeeper.h"

#include "base/AtomicSave.h"
#include "base/Backups.h"
#include "base/FileNotice.h"
#include "base/SafeFile.h"
#include "base/l10n/L10n.h"
#include "panels/PanelLayoutStore.h"
#include "snapshots/LayoutHost.h"
#include "snapshots/LayoutSnapshot.h"
#include "snapshots/SnapshotFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QtDebug>

namespace {

const char *const notRestoredTitle = QT_TRANSLATE_NOOP("Brimvale", "Layout not restored");
const char *const notSavedTitle = QT_TRANSLATE_NOOP("Brimvale", "Layout not saved");

} // namespace

LayoutKeeper::LayoutKeeper(LayoutHost *host, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(backupCheckMs);
    connect(m_timer, &QTimer::timeout, this, &LayoutKeeper::backupIfDue);
}

void LayoutKeeper::start()
{
    backupIfDue();
    m_timer->start();
}

bool LayoutKeeper::backupIfDue()
{
    const QDateTime now = QDateTime::currentDateTime();
    return Backups::due(Backups::newest(Backups::folder()), now) && backupNow();
}

bool LayoutKeeper::backupNow()
{
    QString error;
    if (Backups::make(Backups::folder(), Backups::sources(), QDateTime::currentDateTime(), &error))
        return true;
    qWarning().noquote() << QStringLiteral("No backup was made in %1: %2")
                                .arg(QDir::toNativeSeparators(Backups::folder()), error);
    return false;
}

QString LayoutKeeper::saveSnapshot(const QString &name)
{
    m_host->storeCurrentLayout();
    const QDateTime now = QDateTime::currentDateTime();
    const QString chosen =
        name.trimmed().isEmpty() ? QLocale().toString(now, QLocale::ShortFormat) : name.trimmed();
    QString error;
    const QString path =
        SnapshotFolder::save(SnapshotFolder::folder(), LayoutSnapshot::capture(chosen, now, false), &error);
    if (path.isEmpty())
        sayNotWritten(notSavedTitle, SnapshotFolder::folder(), error);
    return path;
}

bool LayoutKeeper::restoreFrom(const QString &path)
{
    const SafeFile::Result file = SafeFile::read(path, LayoutSnapshot::fileCap);
    const auto snapshot = file.ok() ? LayoutSnapshot::parse(file.data) : std::nullopt;
    if (!snapshot) {
        FileNotice::ignored(path,
                            QStringLiteral("it is not a layout saved by this program; nothing was changed"));
        Q_EMIT noticeRequested(L10n::text(notRestoredTitle),
                               L10n::text("%1 is not a layout saved by Larkspan. Nothing was changed.")
                                   .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    backupNow();
    // The layout being replaced is kept first: without it the restore could not be undone.
    m_host->storeCurrentLayout();
    const LayoutSnapshot::Snapshot undo = LayoutSnapshot::capture(
        L10n::text("Before restoring “%1”").arg(snapshot->name), QDateTime::currentDateTime(), true);
    QString error;
    if (SnapshotFolder::save(SnapshotFolder::folder(), undo, &error).isEmpty()) {
        sayNotWritten(notRestoredTitle, SnapshotFolder::folder(), error);
        return false;
    }
    m_host->releaseLayout();
    const bool applied = LayoutSnapshot::apply(*snapshot, &error);
    // The panels come back either way: restored, or as they were.
    m_host->storedLayoutReplaced();
    if (!applied)
        sayNotWritten(notRestoredTitle, PanelLayoutStore::filePath(), error);
    return applied;
}

bool LayoutKeeper::exportTo(const QString &path)
{
    m_host->storeCurrentLayout();
    const QDateTime now = QDateTime::currentDateTime();
    const LayoutSnapshot::Snapshot snapshot =
        LayoutSnapshot::capture(QFileInfo(path).completeBaseName(), now, false);
    const AtomicSave::Result saved = AtomicSave::save(path, LayoutSnapshot::serialise(snapshot));
    if (!saved)
        sayNotWritten(notSavedTitle, path, saved.error);
    return saved.ok;
}

void LayoutKeeper::sayNotWritten(const char *title, const QString &path, const QString &why)
{
    FileNotice::ignored(path, QStringLiteral("could not be written (%1); nothing was changed").arg(why));
    Q_EMIT noticeRequested(
        L10n::text(title),
        L10n::text("%1 could not be written. Nothing was changed.").arg(QDir::toNativeSeparators(path)));
}
