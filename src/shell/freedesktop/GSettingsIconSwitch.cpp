#include "shell/freedesktop/GSettingsIconSwitch.h"

#include "base/Settings.h"
#include "shell/freedesktop/GioLibrary.h"

namespace {

const QString trueText = QStringLiteral("true");
const QString falseText = QStringLiteral("false");

// GIO when it is there and the schema with the key is installed (g_settings_new
// aborts the process on an unknown schema, so it is looked up first).
const GioLibrary *installed(const QString &schemaId, const QString &key)
{
    const GioLibrary *gio = GioLibrary::get();
    GSettingsSchemaSource *source = gio ? gio->settingsSchemaSourceGetDefault() : nullptr;
    if (!source)
        return nullptr;
    GSettingsSchema *schema = gio->settingsSchemaSourceLookup(source, schemaId.toUtf8().constData(), TRUE);
    if (!schema)
        return nullptr;
    const bool hasKey = gio->settingsSchemaHasKey(schema, key.toUtf8().constData());
    gio->settingsSchemaUnref(schema);
    return hasKey ? gio : nullptr;
}

} // namespace

GSettingsIconSwitch::GSettingsIconSwitch(const QString &schema, const QString &key, const QString &hiddenText)
    : m_schema(schema)
    , m_key(key)
    , m_hiddenText(hiddenText)
{}

bool GSettingsIconSwitch::isInstalled() const
{
    return installed(m_schema, m_key) != nullptr;
}

QString GSettingsIconSwitch::hiddenText() const
{
    return m_hiddenText.isEmpty() ? falseText : m_hiddenText;
}

QString GSettingsIconSwitch::read() const
{
    const GioLibrary *gio = installed(m_schema, m_key);
    if (!gio)
        return QString();
    GSettings *settings = gio->settingsNew(m_schema.toUtf8().constData());
    const QByteArray key = m_key.toUtf8();
    QString text;
    if (m_hiddenText.isEmpty()) {
        text = gio->settingsGetBoolean(settings, key.constData()) ? trueText : falseText;
    } else {
        gchar *value = gio->settingsGetString(settings, key.constData());
        text = QString::fromUtf8(value);
        gio->free(value);
    }
    gio->objectUnref(settings);
    return text;
}

bool GSettingsIconSwitch::write(const QString &text) const
{
    const GioLibrary *gio = installed(m_schema, m_key);
    if (!gio)
        return false;
    GSettings *settings = gio->settingsNew(m_schema.toUtf8().constData());
    const QByteArray key = m_key.toUtf8();
    bool written = true;
    if (text.isNull())
        gio->settingsReset(settings, key.constData());
    else if (m_hiddenText.isEmpty())
        written = gio->settingsSetBoolean(settings, key.constData(), text == trueText);
    else
        written = gio->settingsSetString(settings, key.constData(), text.toUtf8().constData());
    gio->settingsSync();
    gio->objectUnref(settings);
    return written;
}

// The value this switch's last hide replaced, or a null text when none is
// stored for it (or the stored one would hide the icons again).
QString GSettingsIconSwitch::storedReplaced() const
{
    const QStringList stored = Settings::instance()->value(SettingsKeys::shellIconsReplaced).toStringList();
    if (stored.size() != 3 || stored.at(0) != m_schema || stored.at(1) != m_key ||
        stored.at(2) == hiddenText())
        return QString();
    return stored.at(2);
}

bool GSettingsIconSwitch::hidByUs()
{
    return !storedReplaced().isNull() && iconsHiddenNow();
}

// Whether that desktop still runs is the chooser's question; these only need
// the schema, without which g_settings_new would abort.
bool GSettingsIconSwitch::iconsHiddenNow()
{
    return read() == hiddenText();
}

bool GSettingsIconSwitch::toggle()
{
    if (!isInstalled())
        return false;
    Settings *settings = Settings::instance();
    if (!iconsHiddenNow()) {
        const QString shown = read();
        // Stored before the write: a run killed right after it still knows what to give back.
        settings->setValueNow(SettingsKeys::shellIconsReplaced, QStringList{m_schema, m_key, shown});
        return write(hiddenText());
    }
    // Nothing stored (the icons were taken over from a run that stored nothing):
    // the key's default shows them.
    const QString previous = storedReplaced();
    const bool shown = write(previous.isNull() && m_hiddenText.isEmpty() ? trueText : previous);
    if (shown)
        settings->remove(SettingsKeys::shellIconsReplaced);
    return shown;
}

bool GSettingsIconSwitch::showDirectly()
{
    const bool shown = write(m_hiddenText.isEmpty() ? trueText : QString());
    if (shown)
        Settings::instance()->remove(SettingsKeys::shellIconsReplaced);
    return shown;
}
