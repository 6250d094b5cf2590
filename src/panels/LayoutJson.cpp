#include "LayoutJson.h"

#include <QFile>
#include <QJsonArray>
#include <QSet>

#include <cmath>
#include <limits>

namespace LayoutJson {

namespace {

const QLatin1StringView pathMember("path");
const QLatin1StringView pathBytesMember("pathBytes");
// Linux's PATH_MAX: no longer path can be opened.
constexpr qsizetype longestPath = 4096;

} // namespace

QStringList withoutEmptyOrDuplicates(const QStringList &keys)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &key : keys) {
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        result.append(key);
    }
    return result;
}

int wholeNumber(const QJsonValue &value, bool &lost)
{
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max()) {
        lost = true;
        return 0;
    }
    return static_cast<int>(d);
}

QHash<QString, QStringList> itemOrders(const QJsonObject &orders, bool &lost)
{
    QHash<QString, QStringList> result;
    for (auto it = orders.constBegin(); it != orders.constEnd(); ++it) {
        if (!it.value().isArray()) {
            lost = true;
            continue;
        }
        QStringList keys;
        const QJsonArray array = it.value().toArray();
        for (const QJsonValue &value : array) {
            if (value.isString())
                keys.append(value.toString());
            else
                lost = true;
        }
        keys = withoutEmptyOrDuplicates(keys);
        if (!keys.isEmpty())
            result.insert(it.key(), keys);
    }
    return result;
}

QHash<QString, QPoint> positions(const QJsonObject &positions, bool &lost)
{
    QHash<QString, QPoint> result;
    for (auto it = positions.constBegin(); it != positions.constEnd(); ++it) {
        const QJsonArray pair = it.value().toArray();
        if (!it.value().isArray() || pair.size() != 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble())
            lost = true;
        else
            result.insert(it.key(), QPoint(wholeNumber(pair.at(0), lost), wholeNumber(pair.at(1), lost)));
    }
    return result;
}

QHash<QString, QString> assignments(const QJsonObject &assignments, bool &lost)
{
    QHash<QString, QString> result;
    for (auto it = assignments.constBegin(); it != assignments.constEnd(); ++it) {
        if (it.value().isString())
            result.insert(it.key(), it.value().toString());
        else
            lost = true;
    }
    return result;
}

QJsonValue member(const QJsonObject &root, QLatin1StringView name, QJsonValue::Type type, bool &lost)
{
    const QJsonValue value = root.value(name);
    if (value.isUndefined() || value.type() == type)
        return value;
    lost = true;
    return {};
}

std::optional<QByteArray> takeFolderPath(QJsonObject &entry, bool &lost)
{
    const QJsonValue text = entry.take(pathMember);
    const QJsonValue bytes = entry.take(pathBytesMember);
    QByteArray folder;
    if (bytes.isString()) {
        const auto decoded = QByteArray::fromBase64Encoding(bytes.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            folder = *decoded;
    } else if (bytes.isUndefined() && text.isString()) {
        folder = QFile::encodeName(text.toString());
    }
    if (!folder.startsWith('/') || folder.size() > longestPath || folder.contains('\0')) {
        lost = true;
        return std::nullopt;
    }
    return folder;
}

void putFolderPath(QJsonObject &entry, const QByteArray &folder)
{
    const QString text = QFile::decodeName(folder);
    entry.insert(pathMember, text);
    if (QFile::encodeName(text) != folder)
        entry.insert(pathBytesMember, QString::fromLatin1(folder.toBase64()));
}

} // namespace LayoutJson
