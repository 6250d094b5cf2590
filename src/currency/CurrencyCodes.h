#pragma once

#include <QString>
#include <QStringList>

// The currencies the converter offers, in the order the selectors list them.
namespace CurrencyCodes {

inline QStringList all()
{
    return {QStringLiteral("USD"), QStringLiteral("CNY"), QStringLiteral("EUR"), QStringLiteral("GBP"),
            QStringLiteral("HKD"), QStringLiteral("JPY"), QStringLiteral("SGD"), QStringLiteral("AUD"),
            QStringLiteral("CAD"), QStringLiteral("CHF"), QStringLiteral("INR"), QStringLiteral("KRW"),
            QStringLiteral("NZD"), QStringLiteral("THB")};
}

// Yen and won amounts have no minor unit in everyday use.
inline int decimals(const QString &code)
{
    return code == QLatin1String("JPY") || code == QLatin1String("KRW") ? 0 : 2;
}

} // namespace CurrencyCodes
