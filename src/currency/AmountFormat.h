#pragma once

#include <QLocale>
#include <QString>

// How amounts and rates are written back to the user, in the number locale.
namespace AmountFormat {

// A converted amount in fixed notation with the currency's decimals; empty when
// the value is not finite.
QString amount(double value, const QString &currency, const QLocale &locale);

// "1 USD = 7.1234 CNY": the rate with 7 significant digits; the format itself
// is the same in every language.
QString rateLine(const QString &from, double rate, const QString &to, const QLocale &locale);

// The same text written for another language: the old decimal point and group
// separator become the new ones and every digit the new locale's digit of the
// same value.
QString relocalise(QStringView text, const QLocale &from, const QLocale &to);

} // namespace AmountFormat
