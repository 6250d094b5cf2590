#include "RateRecord.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"

#include <QJsonDocument>
#include <QJsonValue>

namespace RateRecord {

namespace {

const QString baseKey = QStringLiteral("base");
const QString quoteKey = QStringLiteral("quote");
const QString rateKey = QStringLiteral("rate");
const QString dateKey = QStringLiteral("date");

} // namespace

QDate date(const QJsonObject &rate)
{
    const QJsonValue date = rate.value(dateKey);
    return date.isString() ? QDate::fromString(date.toString(), Qt::ISODate) : QDate();
}

double value(const QJsonObject &rate)
{
    return rate.value(rateKey).toDouble();
}

bool isUsable(const QJsonObject &rate, const QString &from, const QString &to, const QDate &today)
{
    const QJsonValue base = rate.value(baseKey);
    const QJsonValue quote = rate.value(quoteKey);
    const QJsonValue number = rate.value(rateKey);
    if (!base.isString() || base.toString() != from || !quote.isString() || quote.toString() != to)
        return false;
    // Written so that NaN fails too.
    if (!number.isDouble() || !(number.toDouble() >= minRate && number.toDouble() <= maxRate))
        return false;
    const QDate day = date(rate);
    return day.isValid() && day <= today;
}

QJsonObject accepted(const QJsonObject &rate)
{
    return {{baseKey, rate.value(baseKey)},
            {quoteKey, rate.value(quoteKey)},
            {rateKey, rate.value(rateKey)},
            {dateKey, rate.value(dateKey)}};
}

QJsonObject parse(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    return error.error == QJsonParseError::NoError && document.isObject() ? document.object() : QJsonObject();
}

QJsonObject identity(const QString &code, const QDate &today)
{
    return {{baseKey, code}, {quoteKey, code}, {rateKey, 1.0}, {dateKey, today.toString(Qt::ISODate)}};
}

QString cacheKey(const QString &from, const QString &to)
{
    return SettingsKeys::currencyRatesGroup + QLatin1Char('/') + from + QLatin1Char('/') + to;
}

QJsonObject cached(const QString &from, const QString &to, const QDate &today)
{
    const QJsonObject rate = parse(Settings::instance()->value(cacheKey(from, to)).toByteArray());
    return isUsable(rate, from, to, today) ? rate : QJsonObject();
}

void store(const QString &from, const QString &to, const QJsonObject &rate)
{
    Settings::instance()->setValue(cacheKey(from, to),
                                   QJsonDocument(accepted(rate)).toJson(QJsonDocument::Compact));
}

} // namespace RateRecord
