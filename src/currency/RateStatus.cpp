#include "RateStatus.h"

#include "base/l10n/L10nText.h"
#include "currency/RateClient.h"
#include "currency/RateRecord.h"

#include <QLocale>

namespace RateStatus {

Shown shown(const QByteArray &statusKey, const QJsonObject &rate, bool sameCurrency)
{
    const QString text = L10n::text(statusKey.constData());
    const QDate date = RateRecord::date(rate);
    const QString dateText = date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString();
    if (statusKey == RateClient::fetched)
        return {L10n::text("Frankfurter \u00b7 %1").arg(dateText),
                L10n::text("Daily reference rate \u00b7 As of %1").arg(dateText)};
    if (dateText.isEmpty() || sameCurrency)
        return {text, QString()};
    return {text + L10n::text("\nAs of %1").arg(dateText), QString()};
}

} // namespace RateStatus
