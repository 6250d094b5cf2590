#pragma once

#include "base/SettingsKeys.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;
class QTimer;

// The program's settings store: every key with its type and default lives in
// one table (Settings.cpp), values come back converted to that type, and every
// write through this object announces the key it changed.
//
// Values live in one QSettings on the file AppIdentity pins (made again when
// that path changes, as it does between tests). Writes made in one turn of the
// event loop reach the disk together at the next turn (during a start, once
// its windows are on screen): a first start or a language change sets dozens
// of keys, and each write of the file waits for the disk.
class Settings : public QObject
{
    Q_OBJECT

public:
    static Settings *instance();

    // The stored value converted to the key's type, or the key's default when it
    // is absent or cannot be converted. Keys not in the table (a panel's
    // "/keepOnTop", a cached rate) come back as stored, or invalid.
    QVariant value(const QString &key) const;
    // Like value(), with the caller's default for keys whose default depends on
    // the run (the "topmost" option).
    QVariant value(const QString &key, const QVariant &fallback) const;
    bool contains(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    // Sets and writes at once: for a record of what the program is about to change
    // outside itself, which a run killed in the next moment must leave for the next.
    void setValueNow(const QString &key, const QVariant &value);
    void remove(const QString &key);
    // Every stored key below group ("panel" gives "panel/iconSize", "panel/documents/geometry"...).
    QStringList keysUnder(const QString &group) const;

    // The table's default of a key (an absent key or a per-panel suffix such as
    // "/collapsed" looked up after its prefix), invalid when it has none.
    static QVariant defaultValue(const QString &key);

    // The settings file (AppIdentity::settingsFile), found without opening anything.
    static QString filePath();
    // Makes the settings file safe to use; call before the first value is read. A FIFO, device or unreadable
    // file is never opened (reading a FIFO would wait for good): the settings start from their defaults and
    // changes last until the program ends. A link is written through only to a settings file of ours; any
    // other target is left alone (a copy of it is kept beside it) and the link gives way to a new file.
    static void checkFile();

    // Writes what was set and not yet written, at once (before the file is
    // copied, and as the application ends).
    void flush();

Q_SIGNALS:
    void changed(const QString &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Settings();
    ~Settings() override;

    // The settings file, read again when it changed on disk and nothing is
    // waiting to be written over it.
    QSettings &file() const;
    void written();

    // The file cannot be used: values live here until the program ends.
    bool m_inMemory = false;
    QVariantHash m_memory;
    mutable std::unique_ptr<QSettings> m_file;
    mutable bool m_pending = false;
    QTimer *m_flushTimer = nullptr;
    // Set while a flush waits for the start's windows to be on screen.
    bool m_flushAfterStart = false;
};
