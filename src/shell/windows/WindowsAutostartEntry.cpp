#include "WindowsAutostartEntry.h"

#include "RunKey.h"

#include <QDir>

namespace {

const QString name()
{
    return QString::fromUtf16(WindowsAutostartEntry::valueName);
}

QString normalised(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

} // namespace

WindowsAutostartEntry::WindowsAutostartEntry(std::unique_ptr<RunKey> key, const QString &executable)
    : m_key(std::move(key))
    , m_executable(executable)
{}

WindowsAutostartEntry::~WindowsAutostartEntry() = default;

QString WindowsAutostartEntry::commandPath(const QString &command)
{
    const QString trimmed = command.trimmed();
    if (!trimmed.startsWith(QLatin1Char('"')))
        return trimmed;
    const qsizetype end = trimmed.indexOf(QLatin1Char('"'), 1);
    return end < 0 ? trimmed.mid(1) : trimmed.mid(1, end - 1);
}

bool WindowsAutostartEntry::sameExecutable(const QString &command, const QString &executable)
{
    const QString path = commandPath(command);
    if (path.isEmpty() || executable.isEmpty())
        return false;
    return normalised(path).compare(normalised(executable), Qt::CaseInsensitive) == 0;
}

bool WindowsAutostartEntry::isOwnEntry(const QString &command, const QString &executable)
{
    if (sameExecutable(command, executable))
        return true;
    const QString file = normalised(commandPath(command)).section(QLatin1Char('/'), -1);
    static const QLatin1StringView ownNames[] = {QLatin1StringView("larkspan.exe"),
                                                 QLatin1StringView("Brim Vale.exe"),
                                                 QLatin1StringView("brim-vale.exe")};
    for (const QLatin1StringView own : ownNames) {
        if (file.compare(own, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool WindowsAutostartEntry::isEnabled()
{
    return sameExecutable(m_key->value(name()), m_executable);
}

bool WindowsAutostartEntry::exists()
{
    return !m_key->value(name()).isEmpty();
}

bool WindowsAutostartEntry::setEnabled(bool on)
{
    if (on && m_executable.isEmpty())
        return false;
    const QString current = m_key->value(name());
    if (on == sameExecutable(current, m_executable))
        return true;
    if (!on && !isOwnEntry(current, m_executable))
        return true; // nothing, or someone else's entry that does not start this one
    if (on && !current.isEmpty() && !isOwnEntry(current, m_executable))
        m_key->keepAside(name(), current);
    if (write(on))
        return true;
    // Nothing that failed its check stays behind, and what was there comes back.
    if (on) {
        if (current.isEmpty())
            m_key->remove(name());
        else
            m_key->setValue(name(), current);
        m_key->sync();
    }
    return false;
}

bool WindowsAutostartEntry::write(bool on)
{
    if (on)
        m_key->setValue(name(), QLatin1Char('"') + QDir::toNativeSeparators(m_executable) + QLatin1Char('"'));
    else
        m_key->remove(name());
    return m_key->sync() && sameExecutable(m_key->value(name()), m_executable) == on;
}

bool WindowsAutostartEntry::migrateLegacyEntry()
{
    const QString legacyName = QString::fromUtf16(legacyValueName);
    const QString legacy = m_key->value(legacyName);
    if (!legacy.isEmpty() && isOwnEntry(legacy, m_executable)) {
        m_key->remove(legacyName);
        m_key->sync();
        return setEnabled(true);
    }
    // Another build of the program in another folder wrote the entry.
    const QString current = m_key->value(name());
    if (!current.isEmpty() && isOwnEntry(current, m_executable) && !sameExecutable(current, m_executable))
        return setEnabled(true);
    return false;
}
