#include "RegistryRunKey.h"

#include <QSettings>

namespace {

const QString runKeyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

// Beside the program's own settings, never read back by it: for the user.
const QString keptAsidePath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\brim-vale\\Run values replaced");
}

} // namespace

RegistryRunKey::RegistryRunKey()
    : m_key(std::make_unique<QSettings>(runKeyPath(), QSettings::NativeFormat))
{}

RegistryRunKey::~RegistryRunKey() = default;

QString RegistryRunKey::value(const QString &name)
{
    // A fresh look every time: QSettings would answer from what it read before.
    m_key = std::make_unique<QSettings>(runKeyPath(), QSettings::NativeFormat);
    return m_key->value(name).toString();
}

void RegistryRunKey::setValue(const QString &name, const QString &command)
{
    m_key->setValue(name, command);
}

void RegistryRunKey::remove(const QString &name)
{
    m_key->remove(name);
}

bool RegistryRunKey::sync()
{
    m_key->sync();
    return m_key->status() == QSettings::NoError;
}

void RegistryRunKey::keepAside(const QString &name, const QString &command)
{
    QSettings kept(keptAsidePath(), QSettings::NativeFormat);
    kept.setValue(name, command);
    kept.sync();
}
