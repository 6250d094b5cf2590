#pragma once

#include <QLocale>
#include <QString>

// Amounts the user types: a small arithmetic expression (12*3+4.5) in the
// digits, decimal separator and digit grouping of the user's language. Text is
// first brought to ASCII digits, "." and "," and then evaluated with +, -, *, /
// and parentheses.
namespace AmountParser {

// Longer texts are refused outright; the fields stop there too.
inline constexpr int maxLength = 512;
// Signs and parentheses nest at most this deep minus one; the limit keeps the
// recursive evaluation's stack small whatever is pasted.
inline constexpr int maxDepth = 64;

// How a language groups the digits of a whole number: `least` digits next to
// the decimal point, `higher` in every further group (3 and 3 in most).
struct Grouping
{
    int least = 3;
    int higher = 3;
};

struct Normalised
{
    QString text;
    Grouping grouping;
    // False when a character can never belong to an amount.
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

// The number locale of the fields: the default locale, writing no group
// separators.
QLocale numberLocale();

// The locale's grouping, as it writes a long number.
Grouping grouping(const QLocale &locale);

// ASCII digits for any script's decimal digits, "." for the locale's decimal
// point, "," for its group separator (and, where that is a space, for any space
// between two digits), "-" for U+2212, directional marks dropped. A separator
// of another language (a point in French) stays, so that the text is kept as
// typed, but never reads as part of a number. Any other character that is not
// white space or one of "+-*/()" makes the text not ok.
Normalised normalise(QStringView text, const QLocale &locale);

// The value of a normalised expression; ok only when all of it was read, every
// number's groups are whole and every step stayed finite.
Result evaluate(const Normalised &input);

inline Result parse(QStringView text, const QLocale &locale)
{
    return evaluate(normalise(text, locale));
}

} // namespace AmountParser
