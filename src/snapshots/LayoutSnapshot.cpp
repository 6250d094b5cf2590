#include "snapshots/LayoutSnapshot.h"

#include "base/SafeFile.h"
#include "base/Settings.h"
#include "panels/PanelLayoutStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRect>
#include <QStringList>

#include <cmath>

namespace LayoutSnapshot {

namespace {

const QLatin1StringView formatMember("larkspanLayout");
const QLatin1StringView nameMember("name");
const QLatin1StringView createdMember("created");
const QLatin1StringView automaticMember("automatic");
const QLatin1StringView layoutMember("layout");
const QLatin1StringView settingsMember("settings");
const QLatin1StringView rectMember("rect");
const QLatin1StringView bytesMember("bytes");
constexpr int formatVersion = 1;

const QLatin1StringView settingsGroup("panel");

// Bounds of what a real snapshot holds; anything beyond is not one.
constexpr int maxTextLength = 4096;
constexpr int maxListLength = 1000;
constexpr int maxKeys = 10000;
constexpr double maxNumber = 1e9;
constexpr int maxCoordinate = 1000000;
constexpr qsizetype maxBytes = 1024 * 1024;
constexpr int maxNameLength = 60;

QJsonValue encode(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::QRect: {
        const QRect r = value.toRect();
        return QJsonObject{{rectMember, QJsonArray{r.x(), r.y(), r.width(), r.height()}}};
    }
    case QMetaType::QByteArray:
        return QJsonObject{{bytesMember, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QStringList:
        return QJsonArray::fromStringList(value.toStringList());
    default:
        return value.canConvert<QString>() ? QJsonValue(value.toString()) : QJsonValue();
    }
}

bool wholeInRange(const QJsonValue &value, double low, double high)
{
    const double d = value.toDouble(std::nan(""));
    return value.isDouble() && std::isfinite(d) && d == std::floor(d) && d >= low && d <= high;
}

std::optional<QVariant> decodeObject(const QJsonObject &object)
{
    if (object.size() != 1)
        return std::nullopt;
    if (const QJsonValue rect = object.value(rectMember); rect.isArray()) {
        const QJsonArray a = rect.toArray();
        if (a.size() != 4)
            return std::nullopt;
        for (int i = 0; i < 4; ++i) {
            if (!wholeInRange(a.at(i), i < 2 ? -maxCoordinate : 0, maxCoordinate))
                return std::nullopt;
        }
        return QVariant(QRect(a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt()));
    }
    if (const QJsonValue bytes = object.value(bytesMember); bytes.isString()) {
        const auto decoded = QByteArray::fromBase64Encoding(bytes.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || decoded.decoded.size() > maxBytes)
            return std::nullopt;
        return QVariant(decoded.decoded);
    }
    return std::nullopt;
}

// A stored value back as the settings hold it; nothing for a value out of range.
std::optional<QVariant> decode(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return QVariant(value.toBool());
    case QJsonValue::Double:
        if (!wholeInRange(value, -maxNumber, maxNumber))
            return std::nullopt;
        return QVariant(static_cast<qlonglong>(value.toDouble()));
    case QJsonValue::String:
        if (value.toString().size() > maxTextLength)
            return std::nullopt;
        return QVariant(value.toString());
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        QStringList list;
        for (const QJsonValue &entry : array) {
            if (!entry.isString() || entry.toString().size() > maxTextLength)
                return std::nullopt;
            list.append(entry.toString());
        }
        if (list.size() > maxListLength)
            return std::nullopt;
        return QVariant(list);
    }
    case QJsonValue::Object:
        return decodeObject(value.toObject());
    default:
        return std::nullopt;
    }
}

bool isPanelKey(const QString &key)
{
    return key.startsWith(settingsGroup + QLatin1Char('/')) && key.size() <= maxTextLength &&
           std::none_of(key.cbegin(), key.cend(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

Snapshot capture(const QString &name, const QDateTime &created, bool automatic)
{
    Snapshot snapshot{name, created, automatic, QByteArrayLiteral("{}"), {}};
    const SafeFile::Result layout = SafeFile::read(PanelLayoutStore::filePath(), fileCap);
    // A layout file that cannot be understood is taken as no layout: the store
    // keeps a copy of it before anything replaces it.
    if (layout.ok() && PanelLayoutStore::isLayoutDocument(layout.data))
        snapshot.layout = layout.data;
    Settings *settings = Settings::instance();
    const QStringList keys = settings->keysUnder(settingsGroup);
    for (const QString &key : keys) {
        const QJsonValue value = encode(settings->value(key));
        if (!value.isUndefined() && decode(value))
            snapshot.settings.insert(key, value);
    }
    return snapshot;
}

QByteArray serialise(const Snapshot &snapshot)
{
    const QJsonObject root{
        {formatMember, formatVersion},
        {nameMember, snapshot.name},
        {createdMember, snapshot.created.toString(Qt::ISODate)},
        {automaticMember, snapshot.automatic},
        {layoutMember, QJsonDocument::fromJson(snapshot.layout).object()},
        {settingsMember, snapshot.settings},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<Snapshot> parse(const QByteArray &content)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue name = root.value(nameMember);
    const QDateTime created = QDateTime::fromString(root.value(createdMember).toString(), Qt::ISODate);
    const QJsonValue automatic = root.value(automaticMember);
    const QJsonValue layout = root.value(layoutMember);
    const QJsonValue settings = root.value(settingsMember);
    if (root.value(formatMember) != QJsonValue(formatVersion) || !name.isString() ||
        name.toString().size() > maxTextLength || !created.isValid() || !automatic.isBool() ||
        !layout.isObject() || !settings.isObject() || settings.toObject().size() > maxKeys)
        return std::nullopt;
    Snapshot snapshot{name.toString(), created, automatic.toBool(),
                      QJsonDocument(layout.toObject()).toJson(QJsonDocument::Indented), settings.toObject()};
    if (!PanelLayoutStore::isLayoutDocument(snapshot.layout))
        return std::nullopt;
    for (auto it = snapshot.settings.constBegin(); it != snapshot.settings.constEnd(); ++it) {
        if (!isPanelKey(it.key()) || !decode(it.value()))
            return std::nullopt;
    }
    return snapshot;
}

bool apply(const Snapshot &snapshot, QString *error)
{
    if (!PanelLayoutStore::replaceFile(snapshot.layout, error))
        return false;
    Settings *settings = Settings::instance();
    const QStringList old = settings->keysUnder(settingsGroup);
    for (const QString &key : old) {
        if (!snapshot.settings.contains(key))
            settings->remove(key);
    }
    for (auto it = snapshot.settings.constBegin(); it != snapshot.settings.constEnd(); ++it)
        settings->setValue(it.key(), *decode(it.value()));
    return true;
}

QString sanitisedName(const QString &name)
{
    static const QString reserved = QStringLiteral("/\\:*?\"<>|");
    QString result;
    for (const QChar c : name) {
        const bool unfit = reserved.contains(c) || c.category() == QChar::Other_Control ||
                           c.category() == QChar::Separator_Line ||
                           c.category() == QChar::Separator_Paragraph;
        result.append(unfit ? QLatin1Char('_') : c);
    }
    result = result.trimmed();
    while (result.startsWith(QLatin1Char('.')))
        result.remove(0, 1);
    if (result.size() > maxNameLength) {
        result.truncate(maxNameLength);
        // Never half a character outside the basic plane.
        if (result.back().isHighSurrogate())
            result.chop(1);
    }
    result = result.trimmed();
    return result.isEmpty() ? QStringLiteral("layout") : result;
}

QString fileName(const QString &name, const QDateTime &created)
{
    return created.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') + sanitisedName(name) +
           QLatin1String(".json");
}

} // namespace LayoutSnapshot
