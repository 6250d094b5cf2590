#pragma once

#include <QObject>
#include <QString>

class LayoutHost;
class QTimer;

// Keeps layouts from being lost: named snapshots saved and restored (each
// restore first keeps the layout it replaces as an automatic snapshot, so it
// can be undone), layouts exported to and imported from a file, and a backup
// of the program's files once a day and before every restore.
class LayoutKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int backupCheckMs = 60 * 60 * 1000;

    explicit LayoutKeeper(LayoutHost *host, QObject *parent = nullptr);

    // Backs up now when a backup is due, and looks again every hour.
    void start();
    bool backupIfDue();
    // Before anything replaces the stored layout (a restore, a migration).
    bool backupNow();

    // Saves the layout as it is now under name; the snapshot's path, or empty.
    QString saveSnapshot(const QString &name);
    // Makes the layout in a snapshot or exported file the current one. A file
    // that is not a layout is refused and nothing changes.
    bool restoreFrom(const QString &path);
    // Writes the layout as it is now to a file of the user's choice.
    bool exportTo(const QString &path);

Q_SIGNALS:
    // Something the user asked for did not happen; the reason was said on standard error too.
    void noticeRequested(const QString &title, const QString &text);

private:
    void sayNotWritten(const char *title, const QString &path, const QString &why);

    LayoutHost *m_host;
    QTimer *m_timer;
};
