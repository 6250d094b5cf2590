#include "AmountParser.h"

#include <cmath>

namespace AmountParser {

namespace {

bool isDirectionalMark(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F;
}

constexpr char32_t minusSign = 0x2212;

bool isOperator(char32_t c)
{
    return c == U'+' || c == U'-' || c == U'*' || c == U'/' || c == U'(' || c == U')';
}

// Recursive descent over the normalised text. Every sign and opening
// parenthesis takes one level; the depth limit bounds the recursion.
class Evaluator
{
public:
    explicit Evaluator(QStringView text)
        : m_text(text)
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
        // The whole run of digits and points is one number: with a second
        // point it does not parse, and nothing could follow it anyway.
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                digit = true;
            } else if (c != QLatin1Char('.')) {
                break;
            }
            ++m_pos;
        }
        if (!digit)
            return fail();
        bool parsed = false;
        const double value = QLocale::c().toDouble(m_text.mid(start, m_pos - start), &parsed);
        return parsed ? checked(value) : fail();
    }

    QStringView m_text;
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
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

Normalised normalise(QStringView text, const QLocale &locale)
{
    if (text.size() > maxLength)
        return {QString(), false};
    Normalised out;
    out.text.reserve(text.size());
    const QString point = locale.decimalPoint();
    qsizetype at = 0;
    while (at < text.size()) {
        if (!point.isEmpty() && text.mid(at).startsWith(point)) {
            out.text.append(QLatin1Char('.'));
            at += point.size();
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
            out.text.append(QChar(c));
        } else if (isOperator(c)) {
            out.text.append(QChar(c));
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
    return Evaluator(input.text).run();
}

} // namespace AmountParser
