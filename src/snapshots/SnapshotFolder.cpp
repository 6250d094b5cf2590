#include "snapshots/SnapshotFolder.h"

#include "base/AppIdentity.h"
#include "base/AtomicSave.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace SnapshotFolder {

QString folder()
{
    return AppIdentity::dataFile(QStringLiteral("snapshots"));
}

QList<Entry> list(const QString &folder)
{
    QList<Entry> entries;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        const SafeFile::Result file = SafeFile::read(path, LayoutSnapshot::fileCap);
        if (!file.ok())
            continue;
        if (const auto snapshot = LayoutSnapshot::parse(file.data))
            entries.append({path, snapshot->name, snapshot->created, snapshot->automatic});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.created != b.created ? a.created > b.created : a.path > b.path;
    });
    return entries;
}

QString save(const QString &folder, const LayoutSnapshot::Snapshot &snapshot, QString *error)
{
    const QDir dir(folder);
    const QString base = LayoutSnapshot::fileName(snapshot.name, snapshot.created);
    QString path = dir.filePath(base);
    for (int n = 2; QFile::exists(path); ++n)
        path = dir.filePath(base.chopped(5) + QStringLiteral("-%1.json").arg(n));
    const AtomicSave::Result saved = AtomicSave::save(path, LayoutSnapshot::serialise(snapshot));
    if (!saved) {
        *error = saved.error;
        return {};
    }
    if (snapshot.automatic) {
        QList<Entry> automatic = list(folder);
        automatic.removeIf([](const Entry &entry) { return !entry.automatic; });
        for (qsizetype i = automaticKept; i < automatic.size(); ++i)
            QFile::remove(automatic.at(i).path);
    }
    return path;
}

} // namespace SnapshotFolder
