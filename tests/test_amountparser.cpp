#include "currency/AmountFormat.h"
#include "currency/AmountParser.h"
#include "currency/AmountValidator.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

namespace {

QString nested(int levels, const QString &open, const QString &inner, const QString &close)
{
    return open.repeated(levels) + inner + close.repeated(levels);
}

QLocale numberLocale(const char *name)
{
    QLocale locale{QString::fromLatin1(name)};
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

const QLocale en = numberLocale("en_US");
const QLocale de = numberLocale("de_DE");
const QLocale ar = numberLocale("ar_EG");
const QLocale fr = numberLocale("fr_FR");
const QLocale ru = numberLocale("ru_RU");

void good(const char *name, const QString &text, double value, const QLocale &locale = en)
{
    QTest::newRow(name) << text << locale << true << value;
}

void bad(const char *name, const QString &text, const QLocale &locale = en)
{
    QTest::newRow(name) << text << locale << false << 0.0;
}

const QString alphabet =
    QString::fromUtf8("0123456789....++--**//(((()))) \t\u2212\u0661\u066b\uff15eE,a\u200f");

const QStringList seeds = {
    "12*3+4.5", "-(2)", "2*-3", "((1+2)*(3-4))/5", "99999999999999999999*99999999999999999999",
    "1/3/3/3",  ".5+5."};

QChar randomChar(QRandomGenerator &random)
{
    return alphabet.at(random.bounded(int(alphabet.size())));
}

QString randomText(QRandomGenerator &random)
{
    QString text;
    for (int length = random.bounded(0, 80); length > 0; --length)
        text.append(randomChar(random));
    return text;
}

// Inserts, deletes, grows and nests, kept under twice the accepted length.
QString mutated(QRandomGenerator &random, QString text)
{
    for (int edits = random.bounded(1, 6); edits > 0; --edits) {
        const int at = text.isEmpty() ? 0 : random.bounded(int(text.size()));
        const int kind = random.bounded(4);
        if (kind == 0)
            text.insert(at, randomChar(random));
        else if (kind == 1)
            text.remove(at, 1);
        else if (kind == 2)
            text = text.left(at) + text + text.mid(at);
        else
            text = "(" + text + ")*" + text;
        text.truncate(2 * AmountParser::maxLength);
    }
    return text;
}

} // namespace

class TestAmountParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value"); // 0 when refused

        good("precedence", "12*3+4.5", 40.5);
        good("left to right -", "10-4-3", 3.0);
        good("left to right /", "64/4/2", 8.0);
        good("negated group", "-(2)", -2.0);
        good("sign after operator", "2*-3", -6.0);
        good("stacked signs", "--+-1", -1.0);
        good("spaces everywhere", "  ( 1 + 2 ) * 3  ", 9.0);
        good("trailing point", "12.", 12.0);
        good("leading point", ".5", 0.5);
        good("U+2212 minus", QString::fromUtf16(u"5\u22122"), 3.0);
        good("directional marks dropped", QString::fromUtf16(u"\u200f1\u200e2\u061c"), 12.0);
        good("Arabic-Indic digits, Arabic decimal", QString::fromUtf16(u"\u0661\u0662\u066b\u0665"), 12.5,
             ar);
        good("full-width digits", QString::fromUtf16(u"\uff11\uff12*\uff13"), 36.0);
        good("Devanagari digits", QString::fromUtf16(u"\u0967\u0966"), 10.0);
        good("German decimal comma", "1,5", 1.5, de);
        good("English groups", "1,234,567.25", 1234567.25);
        good("German groups", "1.500,5*2", 3001.0, de);
        good("Arabic group separator", QString::fromUtf16(u"\u0661\u066c\u0665\u0660\u0660"), 1500.0, ar);
        good("French narrow no-break space", QString::fromUtf16(u"1\u202f500,5"), 1500.5, fr);
        good("Russian groups typed as spaces", "2 * 1 500", 3000.0, ru);
        good("63 parentheses", nested(63, "(", "7", ")"), 7.0);
        good("63 signs", nested(63, "-", "7", ""), -7.0);
        good("63 mixed", nested(21, "-(+", "7", ")"), -7.0);

        bad("64 parentheses", nested(64, "(", "7", ")"));
        bad("64 signs", nested(64, "+", "7", ""));
        bad("empty", "");
        bad("only spaces", "   ");
        bad("lone point", ".");
        bad("two points", "1.2.3");
        bad("missing )", "(3");
        bad("extra )", "3)");
        bad("dangling operator", "12*");
        bad("division by zero", "5/0");
        bad("zero by zero", "0/0");
        bad("division by a zero expression", "5/(2-2)");
        bad("number too large", QString(400, QChar('9')));
        bad("product overflows", QString(300, QChar('9')) + "*" + QString(300, QChar('9')));
        bad("sum overflows", "1" + QString(308, QChar('0')) + "*9+1" + QString(308, QChar('0')) + "*9");
        bad("exponent", "1e3");
        bad("comma in English", "1,5");
        bad("point in German", "1.5", de);
        bad("point in French", "1.5", fr);
        bad("group too long", "1,5000");
        bad("first group too long", "1234,567");
        bad("group after the point", "1.500,000");
        bad("leading group separator", ",500");
        bad("trailing group separator", "1,500,");
        bad("space between digits in English", "1 500");
        bad("currency sign", "$5");
        bad("superscript is no decimal digit", QString::fromUtf16(u"2\u00b2"));
        bad("513 characters", QString(513, QChar('1')));
        bad("512 characters", "1+" + QString(510, QChar(' ')));
        good("512 characters ok", QString(511, QChar(' ')) + "1", 1.0);
    }

    void evaluate()
    {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const AmountParser::Result result = AmountParser::parse(text, locale);
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.ok ? result.value : 0.0, value);
    }

    void validate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("state");

        QTest::newRow("expression") << "12*3+4.5" << en << int(QValidator::Acceptable);
        QTest::newRow("empty stays typeable") << "" << en << int(QValidator::Intermediate);
        QTest::newRow("dangling operator") << "12*" << en << int(QValidator::Intermediate);
        QTest::newRow("open parenthesis") << "(3" << en << int(QValidator::Intermediate);
        QTest::newRow("on the way to 5/0.5") << "5/0" << en << int(QValidator::Intermediate);
        QTest::newRow("too deep is incomplete, not refused")
            << nested(64, "(", "1", ")") << en << int(QValidator::Intermediate);
        QTest::newRow("letter refused") << "12a" << en << int(QValidator::Invalid);
        QTest::newRow("comma kept in English") << "1,5" << en << int(QValidator::Intermediate);
        QTest::newRow("point kept in French") << "1.5" << fr << int(QValidator::Intermediate);
        QTest::newRow("English group separator") << "1,500" << en << int(QValidator::Acceptable);
        QTest::newRow("comma is the decimal in German") << "1,5" << de << int(QValidator::Acceptable);
        QTest::newRow("Arabic") << QString::fromUtf16(u"\u0663\u066b\u0665") << ar
                                << int(QValidator::Acceptable);
        QTest::newRow("over 512 refused") << QString(513, QChar('1')) << en << int(QValidator::Invalid);
    }

    void validate()
    {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(int, state);
        AmountValidator validator;
        validator.setLocale(locale);
        int pos = 0;
        QCOMPARE(int(validator.validate(text, pos)), state);
    }

    void amount_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");

        QTest::newRow("two decimals") << 81.0 << "CNY" << en << "81.00";
        QTest::newRow("yen rounds to whole") << 1234.5678 << "JPY" << en << "1235";
        QTest::newRow("won rounds to whole") << 999.5 << "KRW" << en << "1000";
        QTest::newRow("no group separators") << 1234567.891 << "USD" << en << "1234567.89";
        QTest::newRow("German decimal") << 2.5 << "EUR" << de << "2,50";
        QTest::newRow("Arabic digits")
            << 12.5 << "USD" << ar << QString::fromUtf16(u"\u0661\u0662\u066b\u0665\u0660");
        QTest::newRow("infinite is empty") << qInf() << "USD" << en << "";
        QTest::newRow("NaN is empty") << qQNaN() << "USD" << en << "";
    }

    void amount()
    {
        QFETCH(double, value);
        QFETCH(QString, currency);
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(AmountFormat::amount(value, currency, locale), expected);
    }

    void rateLine_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("expected");
        QTest::newRow("seven significant digits") << 1234567.891 << "1 USD = 1234568 CNY";
        QTest::newRow("small rate") << 0.000123456789 << "1 USD = 0.0001234568 CNY";
        QTest::newRow("short rate") << 7.25 << "1 USD = 7.25 CNY";
    }

    void rateLine()
    {
        QFETCH(double, rate);
        QFETCH(QString, expected);
        QCOMPARE(AmountFormat::rateLine("USD", rate, "CNY", en), expected);
    }

    void relocalise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("from");
        QTest::addColumn<QLocale>("to");
        QTest::addColumn<QString>("expected");
        const QString arabic = QString::fromUtf16(u"\u0661\u0662\u066b\u0665");
        QTest::newRow("English to Arabic") << QString("12.5") << en << ar << arabic;
        QTest::newRow("Arabic to English") << arabic << ar << en << QString("12.5");
        QTest::newRow("English to German keeps operators")
            << QString("2.5*(3+1)") << en << de << QString("2,5*(3+1)");
        QTest::newRow("groups follow, decimals stay decimals")
            << QString("1,500.5") << en << de << QString("1.500,5");
        QTest::newRow("a misplaced group stays misplaced") << QString("1,5") << en << de << QString("1.5");
    }

    void relocalise()
    {
        QFETCH(QString, text);
        QFETCH(QLocale, from);
        QFETCH(QLocale, to);
        QFETCH(QString, expected);
        QCOMPARE(AmountFormat::relocalise(text, from, to), expected);
    }

    // Random and mutated amounts: the evaluator must neither crash nor hang, and
    // nothing it calls a success may be infinite or NaN.
    void randomAndMutated()
    {
        QRandomGenerator random(20240611);
        int succeeded = 0;
        for (int i = 0; i < 300000; ++i) {
            const QString text =
                (i % 2) ? randomText(random) : mutated(random, seeds.at(random.bounded(int(seeds.size()))));
            const AmountParser::Result result = AmountParser::parse(text, en);
            if (result.ok && !std::isfinite(result.value))
                QFAIL(qPrintable("non-finite success for: " + text));
            succeeded += result.ok ? 1 : 0;
        }
        // Both outcomes must actually be exercised, or the generator tests nothing.
        QVERIFY(succeeded > 1000);
        QVERIFY(succeeded < 300000 - 1000);
    }
};

QTEST_APPLESS_MAIN(TestAmountParser)
#include "test_amountparser.moc"
