#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What the status line shows for a status and the rate it is about, in the
// current language: the service's name with the rate's date, or the status
// with the date on a line of its own.
namespace RateStatus {

struct Shown
{
    QString text;
    QString toolTip;
};

// sameCurrency: from and to are one code, so a date says nothing.
Shown shown(const QByteArray &statusKey, const QJsonObject &rate, bool sameCurrency);

} // namespace RateStatus
