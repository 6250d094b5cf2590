#include "LayoutJson.h"

#include <QSet>

#include <cmath>
#include <limits>

namespace LayoutJson {

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

QJsonValue member(const QJsonObject &root, QLatin1StringView name, QJsonValue::Type type, bool &lost)
{
    const QJsonValue value = root.value(name);
    if (value.isUndefined() || value.type() == type)
        return value;
    lost = true;
    return {};
}

} // namespace LayoutJson
