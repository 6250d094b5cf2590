#pragma once

#include <QLocale>
#include <QString>

// Amounts the user types: a small arithmetic expression (12*3+4.5) in the
// digits and decimal separator of the user's language. Text is first brought
// to ASCII digits and "." and then evaluated with +, -, *, / and parentheses.
namespace AmountParser {

// Longer texts are refused outright; the fields stop there too.
inline constexpr int maxLength = 512;
// Signs and parentheses nest at most this deep minus one; the limit keeps the
// recursive evaluation's stack small whatever is pasted.
inline constexpr int maxDepth = 64;

struct Normalised
{
    QString text;
    bool ok = true;
};

struct Result
{
    double value = 0.0;
    bool ok = false;
};

// The value of a decimal digit of any script (Arabic-Indic, full-width, ...), -1
// for any other code point.
int decimalDigitValue(char32_t c);

// The code point at `at` and how many UTF-16 units it takes.
char32_t codePointAt(QStringView text, qsizetype at, qsizetype *units);

// The number locale of the fields: the default locale, without group separators.
QLocale numberLocale();

// ASCII digits for any script's decimal digits, "." for the locale's decimal
// point, "-" for U+2212, directional marks dropped; any other character that is
// not white space or one of "+-*/()" makes the text not ok.
Normalised normalise(QStringView text, const QLocale &locale);

// The value of a normalised expression; ok only when all of it was read and
// every step stayed finite.
Result evaluate(const Normalised &input);

inline Result parse(QStringView text, const QLocale &locale)
{
    return evaluate(normalise(text, locale));
}

} // namespace AmountParser
