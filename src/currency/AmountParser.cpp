#include "AmountParser.h"

#include <cmath>

namespace AmountParser {

namespace {

bool isDirectionalMark(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F;
}

constexpr char32_t minusSign = 0x2212;

// The group separator in normalised text.
constexpr char16_t groupMark = u',';
// Stands for a separator of another language: typeable, never read.
constexpr char16_t foreignMark = 0xFFFD;

// What some language writes between digits: ". , ' ’ ٫ ٬". One that is neither
// the locale's decimal point nor its group separator is a slip to be shown,
// not a keystroke to refuse: dropping it would turn 1,5 into 15.
bool isSeparator(char32_t c)
{
    return c == U'.' || c == U',' || c == U'\'' || c == 0x2019 || c == 0x066B || c == 0x066C;
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// 1,234,567.5 in English, 1.234.567,5 in German (normalised to 1,234,567.5):
// the first group is not longer than the others, the others have their
// exact length, and only the whole part is grouped.
bool wellGrouped(QStringView number, Grouping grouping)
{
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    if (point >= 0 && number.mid(point).contains(groupMark))
        return false;
    const QStringView whole = point < 0 ? number : number.left(point);
    if (!whole.contains(groupMark))
        return true;
    const QList<QStringView> groups = whole.split(groupMark);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const qsizetype length = groups.at(i).size();
        const bool fits = i == groups.size() - 1 ? length == grouping.least
                          : i == 0               ? length >= 1 && length <= grouping.higher
                                                 : length == grouping.higher;
        if (!fits)
            return false;
    }
    return true;
}

bool isOperator(char32_t c)
{
    return c == U'+' || c == U'-' || c == U'*' || c == U'/' || c == U'(' || c == U')';
}

// Recursive descent over the normalised text. Every sign and opening
// parenthesis takes one level; the depth limit bounds the recursion.
class Evaluator
{
public:
    Evaluator(QStringView text, Grouping grouping)
        : m_text(text)
        , m_grouping(grouping)
    {}

    Result run()
    {
        const double value = expression(0);
        skipSpace();
        const bool ok = m_ok && m_pos == m_text.size() && std::isfinite(value);
        return {ok ? value : 0.0, ok};
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool take(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(c)) {
            ++m_pos;
            return true;
        }
        return false;
    }

    double fail()
    {
        m_ok = false;
        return 0.0;
    }

    // A failed step ends the evaluation; an infinite or NaN step is a failure.
    double checked(double value) { return std::isfinite(value) ? value : fail(); }

    double expression(int depth)
    {
        double value = term(depth);
        while (m_ok) {
            if (take('+'))
                value = checked(value + term(depth));
            else if (take('-'))
                value = checked(value - term(depth));
            else
                break;
        }
        return value;
    }

    double term(int depth)
    {
        double value = unary(depth);
        while (m_ok) {
            if (take('*')) {
                value = checked(value * unary(depth));
            } else if (take('/')) {
                const double divisor = unary(depth);
                if (!m_ok)
                    break;
                value = divisor == 0.0 ? fail() : checked(value / divisor);
            } else {
                break;
            }
        }
        return value;
    }

    double unary(int depth)
    {
        if (!m_ok)
            return 0.0;
        if (depth >= maxDepth)
            return fail();
        if (take('+'))
            return unary(depth + 1);
        if (take('-'))
            return checked(-unary(depth + 1));
        if (take('(')) {
            const double value = expression(depth + 1);
            if (m_ok && !take(')'))
                return fail();
            return value;
        }
        return number();
    }

    double number()
    {
        skipSpace();
        const qsizetype start = m_pos;
        bool digit = false;
        // The whole run of digits, points and group separators is one number:
        // with a second point it does not parse, and nothing could follow it
        // anyway.
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (isAsciiDigit(c))
                digit = true;
            else if (c != QLatin1Char('.') && c != groupMark)
                break;
            ++m_pos;
        }
        const QStringView run = m_text.mid(start, m_pos - start);
        if (!digit || !wellGrouped(run, m_grouping))
            return fail();
        bool parsed = false;
        const double value = QLocale::c().toDouble(run.toString().remove(groupMark), &parsed);
        return parsed ? checked(value) : fail();
    }

    QStringView m_text;
    Grouping m_grouping;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

} // namespace

int decimalDigitValue(char32_t c)
{
    return QChar::category(c) == QChar::Number_DecimalDigit ? QChar::digitValue(c) : -1;
}

char32_t codePointAt(QStringView text, qsizetype at, qsizetype *units)
{
    const QChar first = text.at(at);
    if (first.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(first, text.at(at + 1));
    }
    *units = 1;
    return first.unicode();
}

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

Grouping grouping(const QLocale &locale)
{
    QLocale grouped(locale);
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    const QString written = grouped.toString(1234567890LL);
    const QList<QStringView> groups = QStringView(written).split(locale.groupSeparator());
    Grouping out;
    if (locale.groupSeparator().isEmpty() || groups.size() < 3)
        return out;
    // Digits may take two UTF-16 units each in some scripts.
    const auto digits = [](QStringView group) {
        return int(group.toUcs4().size());
    };
    out.least = digits(groups.at(groups.size() - 1));
    out.higher = digits(groups.at(groups.size() - 2));
    return out;
}

Normalised normalise(QStringView text, const QLocale &locale)
{
    if (text.size() > maxLength)
        return {QString(), {}, false};
    Normalised out;
    out.text.reserve(text.size());
    out.grouping = grouping(locale);
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    // Where a language groups with a (no-break) space, people type a plain one.
    const bool spaceGroups = group.size() == 1 && group.at(0).isSpace();
    const auto digitAt = [&text](qsizetype at) {
        qsizetype units = 1;
        return at < text.size() && decimalDigitValue(codePointAt(text, at, &units)) >= 0;
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const QStringView rest = text.mid(at);
        if (!point.isEmpty() && rest.startsWith(point)) {
            out.text.append(QLatin1Char('.'));
            at += point.size();
            continue;
        }
        if (!group.isEmpty() && rest.startsWith(group)) {
            out.text.append(QChar(groupMark));
            at += group.size();
            continue;
        }
        qsizetype units = 1;
        const char32_t c = codePointAt(text, at, &units);
        at += units;
        const int digit = decimalDigitValue(c);
        if (isDirectionalMark(c))
            continue;
        if (digit >= 0) {
            out.text.append(QLatin1Char(char('0' + digit)));
        } else if (c == minusSign) {
            out.text.append(QLatin1Char('-'));
        } else if (QChar::isSpace(c)) {
            const bool between =
                spaceGroups && !out.text.isEmpty() && isAsciiDigit(out.text.back()) && digitAt(at);
            out.text.append(between ? QChar(groupMark) : QChar(c));
        } else if (isOperator(c)) {
            out.text.append(QChar(c));
        } else if (isSeparator(c)) {
            out.text.append(QChar(foreignMark));
        } else {
            out.ok = false;
        }
    }
    return out;
}

Result evaluate(const Normalised &input)
{
    if (!input.ok)
        return {};
    return Evaluator(input.text, input.grouping).run();
}

} // namespace AmountParser
