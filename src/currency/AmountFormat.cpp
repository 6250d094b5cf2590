#include "AmountFormat.h"

#include "currency/AmountParser.h"
#include "currency/CurrencyCodes.h"

#include <cmath>

namespace AmountFormat {

QString amount(double value, const QString &currency, const QLocale &locale)
{
    if (!std::isfinite(value))
        return {};
    return locale.toString(value, 'f', CurrencyCodes::decimals(currency));
}

QString rateLine(const QString &from, double rate, const QString &to, const QLocale &locale)
{
    return QStringLiteral("1 %1 = %2 %3").arg(from, locale.toString(rate, 'g', 7), to);
}

QString relocalise(QStringView text, const QLocale &from, const QLocale &to)
{
    const QString oldPoint = from.decimalPoint();
    const QString newPoint = to.decimalPoint();
    const QString oldGroup = from.groupSeparator();
    const QString newGroup = to.groupSeparator();
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        if (!oldPoint.isEmpty() && text.mid(at).startsWith(oldPoint)) {
            out.append(newPoint);
            at += oldPoint.size();
            continue;
        }
        // Left as it was, 1,500 in English would become 1.5 in German.
        if (!oldGroup.isEmpty() && text.mid(at).startsWith(oldGroup)) {
            out.append(newGroup);
            at += oldGroup.size();
            continue;
        }
        qsizetype units = 1;
        const int digit = AmountParser::decimalDigitValue(AmountParser::codePointAt(text, at, &units));
        if (digit >= 0)
            out.append(to.toString(digit));
        else
            out.append(text.mid(at, units));
        at += units;
    }
    return out;
}

} // namespace AmountFormat
