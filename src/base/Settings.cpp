#include "base/Settings.h"

#include "base/AppIdentity.h"
#include "base/AtomicSave.h"
#include "base/FileNotice.h"
#include "base/SafeFile.h"
#include "base/StartupHold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QSettings>
#include <QTimer>

namespace {

struct Entry
{
    QLatin1StringView key;
    QMetaType::Type type;
    QVariant defaultValue; // invalid: none
};

// Every key of the program, with its type and default.
const QList<Entry> &globalKeys()
{
    static const QList<Entry> keys{
        {SettingsKeys::uiLanguage, QMetaType::QString, QStringLiteral("system")},
        // Read with 0: the start-up rule accepts only 32-96 and falls back to 48.
        {SettingsKeys::panelIconSize, QMetaType::Int, 0},
        {SettingsKeys::panelLayoutLocked, QMetaType::Bool, false},
        {SettingsKeys::desktopQuickHide, QMetaType::Bool, true},
        {SettingsKeys::todoVisible, QMetaType::Bool, true},
        {SettingsKeys::currencyVisible, QMetaType::Bool, true},
        {SettingsKeys::todoHideCompleted, QMetaType::Bool, false},
        {SettingsKeys::todoGeometry, QMetaType::QRect, {}},
        {SettingsKeys::currencyGeometry, QMetaType::QByteArray, {}},
        {SettingsKeys::currencyLayoutVersion, QMetaType::Int, 0},
        {SettingsKeys::currencyFrom, QMetaType::QString, QStringLiteral("USD")},
        {SettingsKeys::currencyTo, QMetaType::QString, QStringLiteral("CNY")},
        {SettingsKeys::shellIconsHiddenByUs, QMetaType::Bool, false},
        // Milliseconds since the epoch; 0: never.
        {SettingsKeys::shellIconsRestoredAt, QMetaType::LongLong, 0},
        // What a desktop's icon switch held before this program hid the icons:
        // schema, key and value as text; empty when nothing is to be given back.
        {SettingsKeys::shellIconsReplaced, QMetaType::QStringList, QStringList()},
        {SettingsKeys::autostartDecided, QMetaType::Bool, false},
    };
    return keys;
}

// Keys a panel (or the to-do and currency panels) owns, matched by their suffix.
const QList<Entry> &panelKeys()
{
    static const QList<Entry> keys{
        {SettingsKeys::geometry, QMetaType::QRect, {}},
        {SettingsKeys::iconSize, QMetaType::Int, 0},
        {SettingsKeys::layoutVersion, QMetaType::Int, 0},
        {SettingsKeys::userPlaced, QMetaType::Bool, false},
        {SettingsKeys::expandedHeight, QMetaType::Int, 0},
        {SettingsKeys::collapsed, QMetaType::Bool, false},
        // Absent means Automatic; any other text than "grid" or "list" too.
        {SettingsKeys::viewMode, QMetaType::QString, QString()},
        // Absent (or unknown) means desktop order.
        {SettingsKeys::sortKey, QMetaType::QString, QString()},
        {SettingsKeys::sortReversed, QMetaType::Bool, false},
        // Defaults to the "topmost" option: the caller supplies it.
        {SettingsKeys::keepOnTop, QMetaType::Bool, {}},
    };
    return keys;
}

const Entry *entryFor(const QString &key)
{
    for (const Entry &entry : globalKeys()) {
        if (key == entry.key)
            return &entry;
    }
    // "panel/<id>/collapsed", "panel/collapsed" (single mode), "todo/keepOnTop".
    for (const Entry &entry : panelKeys()) {
        if (key.endsWith(entry.key) && key.size() > entry.key.size())
            return &entry;
    }
    return nullptr;
}

// A settings file of ours sets at least one key of the table. Keys below a group
// are written with backslashes ("documents\\geometry" in [panel]).
bool isSettingsFile(const QByteArray &content)
{
    QString group;
    const QList<QByteArray> lines = content.split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString key = line.left(equals).trimmed().replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!group.isEmpty() && group != QLatin1String("General"))
            key = group + QLatin1Char('/') + key;
        if (entryFor(key))
            return true;
    }
    return false;
}

} // namespace

Settings *Settings::instance()
{
    static Settings settings;
    return &settings;
}

Settings::Settings()
{
    // The application's end comes before this object's: what the last turn
    // set is written while the event loop's objects still exist.
    qAddPostRoutine([] { instance()->flush(); });
}

Settings::~Settings()
{
    flush();
}

QSettings &Settings::file() const
{
    const QString path = filePath();
    if (!m_file || m_file->fileName() != path) {
        if (m_file)
            m_file->sync();
        // An INI file on every platform: Windows's native format would be the
        // registry, where no file checks or backups reach.
        m_file = std::make_unique<QSettings>(path, QSettings::IniFormat);
        // QSettings writes itself at the next turn too; during a start, not before flush().
        m_file->installEventFilter(const_cast<Settings *>(this));
        m_pending = false;
    } else if (!m_pending) {
        m_file->sync(); // another program, or the user, may have changed it
    }
    return *m_file;
}

void Settings::written()
{
    m_pending = true;
    if (!QCoreApplication::instance()) {
        flush(); // no event loop will come to it
        return;
    }
    if (!m_flushTimer) {
        m_flushTimer = new QTimer(QCoreApplication::instance());
        m_flushTimer->setSingleShot(true);
        m_flushTimer->setInterval(0);
        // What a start sets reaches the disk with its other files, once its
        // windows are on screen.
        connect(m_flushTimer, &QTimer::timeout, this, [this] {
            if (!std::exchange(m_flushAfterStart, true))
                StartupHold::whenReleased(this, [this] {
                    m_flushAfterStart = false;
                    flush();
                });
        });
        connect(m_flushTimer, &QObject::destroyed, this, [this] { m_flushTimer = nullptr; });
    }
    m_flushTimer->start();
}

bool Settings::eventFilter(QObject *watched, QEvent *event)
{
    return watched == m_file.get() && event->type() == QEvent::UpdateRequest && StartupHold::isHeld();
}

void Settings::flush()
{
    if (m_file && m_pending)
        m_file->sync();
    m_pending = false;
}

QVariant Settings::defaultValue(const QString &key)
{
    const Entry *entry = entryFor(key);
    return entry ? entry->defaultValue : QVariant();
}

QString Settings::filePath()
{
    return AppIdentity::settingsFile();
}

void Settings::checkFile()
{
    Settings *settings = instance();
    settings->flush();
    settings->m_file.reset();
    settings->m_inMemory = false;
    settings->m_memory.clear();
    const QString path = filePath();
    const QFileInfo info(path);
    bool usable = true;
    if (info.isSymLink()) {
        const QString target = AtomicSave::saveTarget(path, SafeFile::textCap, isSettingsFile);
        // QSettings writes through any link: one that leads elsewhere goes first.
        usable = target == path ? QFile::remove(path) : !target.isEmpty();
    } else if (info.exists()) {
        const SafeFile::Status status = SafeFile::read(path, SafeFile::textCap).status;
        usable = status != SafeFile::Status::NotRegular && status != SafeFile::Status::Unreadable;
    }
    if (!usable) {
        settings->m_inMemory = true;
        FileNotice::ignored(path, QStringLiteral("it is not a regular file, cannot be read or cannot be"
                                                 " replaced; the settings start from their defaults and"
                                                 " changes last until the program ends"));
    }
}

QVariant Settings::value(const QString &key) const
{
    return value(key, defaultValue(key));
}

QVariant Settings::value(const QString &key, const QVariant &fallback) const
{
    const QVariant stored = m_inMemory ? m_memory.value(key) : file().value(key);
    if (!stored.isValid())
        return fallback;
    const Entry *entry = entryFor(key);
    if (!entry)
        return stored;
    QVariant converted = stored;
    // A hand-edited or foreign value of the wrong type reads as absent, never
    // as a surprising conversion (a rectangle from a string, say).
    if (!converted.convert(QMetaType(entry->type)))
        return fallback;
    return converted;
}

bool Settings::contains(const QString &key) const
{
    return m_inMemory ? m_memory.contains(key) : file().contains(key);
}

void Settings::setValue(const QString &key, const QVariant &value)
{
    if (m_inMemory) {
        m_memory.insert(key, value);
    } else {
        file().setValue(key, value);
        written();
    }
    Q_EMIT changed(key);
}

void Settings::setValueNow(const QString &key, const QVariant &value)
{
    setValue(key, value);
    flush();
}

void Settings::remove(const QString &key)
{
    if (m_inMemory) {
        m_memory.remove(key);
    } else {
        file().remove(key);
        written();
    }
    Q_EMIT changed(key);
}

QStringList Settings::keysUnder(const QString &group) const
{
    const QString prefix = group + QLatin1Char('/');
    QStringList keys;
    if (m_inMemory) {
        for (auto it = m_memory.constBegin(); it != m_memory.constEnd(); ++it) {
            if (it.key().startsWith(prefix))
                keys.append(it.key());
        }
        return keys;
    }
    QSettings &settings = file();
    settings.beginGroup(group);
    const QStringList inGroup = settings.allKeys();
    settings.endGroup();
    for (const QString &key : inGroup)
        keys.append(prefix + key);
    return keys;
}
