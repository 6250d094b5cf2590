#pragma once

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>

// A daily rate of one currency pair as the service sends it and as the cache
// keeps it: {"base", "quote", "rate", "date"}.
namespace RateRecord {

// No two currencies in the world stand further apart than this either way; a
// rate beyond it is a broken or hostile answer, and its products would be
// hundreds of digits long.
inline constexpr double minRate = 1e-9;
inline constexpr double maxRate = 1e9;

// Whether the object is a rate that may be shown for from -> to: the pair
// matches exactly, the rate lies within [minRate, maxRate], and the date is a
// valid ISO date no later than today.
bool isUsable(const QJsonObject &rate, const QString &from, const QString &to, const QDate &today);

// Only the members the converter uses, so nothing else a server sends is kept.
QJsonObject accepted(const QJsonObject &rate);

// The JSON object in a body, empty for anything else.
QJsonObject parse(const QByteArray &body);

// The rate of a usable object.
double value(const QJsonObject &rate);
QDate date(const QJsonObject &rate);

// A same-currency "rate": 1, dated today.
QJsonObject identity(const QString &code, const QDate &today);

// The settings key of a pair's cached rate: currency/rates/FROM/TO.
QString cacheKey(const QString &from, const QString &to);

// The cached rate of a pair when it is still usable, else empty.
QJsonObject cached(const QString &from, const QString &to, const QDate &today);
void store(const QString &from, const QString &to, const QJsonObject &rate);

} // namespace RateRecord
