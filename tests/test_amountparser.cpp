#include "currency/AmountFormat.h"
#include "currency/AmountParser.h"
#include "currency/AmountValidator.h"

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
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

class TestAmountParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluate_data();
    void evaluate();
    void validate_data();
    void validate();
    void amount_data();
    void amount();
    void rateLine_data();
    void rateLine();
    void relocalise_data();
    void relocalise();
};

void TestAmountParser::evaluate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");

    const QString en = QStringLiteral("en_US");
    QTest::newRow("precedence") << "12*3+4.5" << en << true << 40.5;
    QTest::newRow("left to right -") << "10-4-3" << en << true << 3.0;
    QTest::newRow("left to right /") << "64/4/2" << en << true << 8.0;
    QTest::newRow("negated group") << "-(2)" << en << true << -2.0;
    QTest::newRow("sign after operator") << "2*-3" << en << true << -6.0;
    QTest::newRow("stacked signs") << "--+-1" << en << true << -1.0;
    QTest::newRow("spaces everywhere") << "  ( 1 + 2 ) * 3  " << en << true << 9.0;
    QTest::newRow("trailing point") << "12." << en << true << 12.0;
    QTest::newRow("leading point") << ".5" << en << true << 0.5;
    QTest::newRow("U+2212 minus") << QString::fromUtf16(u"5\u22122") << en << true << 3.0;
    QTest::newRow("directional marks dropped")
        << QString::fromUtf16(u"\u200f1\u200e2\u061c") << en << true << 12.0;
    QTest::newRow("Arabic-Indic digits, Arabic decimal")
        << QString::fromUtf16(u"\u0661\u0662\u066b\u0665") << QStringLiteral("ar_EG") << true << 12.5;
    QTest::newRow("full-width digits") << QString::fromUtf16(u"\uff11\uff12*\uff13") << en << true << 36.0;
    QTest::newRow("Devanagari digits") << QString::fromUtf16(u"\u0967\u0966") << en << true << 10.0;
    QTest::newRow("German decimal comma") << "1,5" << QStringLiteral("de_DE") << true << 1.5;
    QTest::newRow("63 parentheses") << nested(63, "(", "7", ")") << en << true << 7.0;
    QTest::newRow("63 signs") << nested(63, "-", "7", "") << en << true << -7.0;
    QTest::newRow("63 mixed") << nested(21, "-(+", "7", ")") << en << true << -7.0;

    QTest::newRow("64 parentheses") << nested(64, "(", "7", ")") << en << false << 0.0;
    QTest::newRow("64 signs") << nested(64, "+", "7", "") << en << false << 0.0;
    QTest::newRow("empty") << "" << en << false << 0.0;
    QTest::newRow("only spaces") << "   " << en << false << 0.0;
    QTest::newRow("lone point") << "." << en << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << en << false << 0.0;
    QTest::newRow("missing )") << "(3" << en << false << 0.0;
    QTest::newRow("extra )") << "3)" << en << false << 0.0;
    QTest::newRow("dangling operator") << "12*" << en << false << 0.0;
    QTest::newRow("division by zero") << "5/0" << en << false << 0.0;
    QTest::newRow("zero by zero") << "0/0" << en << false << 0.0;
    QTest::newRow("division by a zero expression") << "5/(2-2)" << en << false << 0.0;
    QTest::newRow("number too large") << QString(400, QLatin1Char('9')) << en << false << 0.0;
    QTest::newRow("product overflows")
        << QString(300, QLatin1Char('9')) + "*" + QString(300, QLatin1Char('9')) << en << false << 0.0;
    QTest::newRow("sum overflows") << "1" + QString(308, QLatin1Char('0')) + "*9+1" +
                                          QString(308, QLatin1Char('0')) + "*9"
                                   << en << false << 0.0;
    QTest::newRow("exponent") << "1e3" << en << false << 0.0;
    QTest::newRow("comma in English") << "1,5" << en << false << 0.0;
    QTest::newRow("point in German") << "1.5" << QStringLiteral("de_DE") << false << 0.0;
    QTest::newRow("group separator") << "1,000" << en << false << 0.0;
    QTest::newRow("currency sign") << "$5" << en << false << 0.0;
    QTest::newRow("superscript is no decimal digit") << QString::fromUtf16(u"2\u00b2") << en << false << 0.0;
    QTest::newRow("513 characters") << QString(513, QLatin1Char('1')) << en << false << 0.0;
    QTest::newRow("512 characters") << "1+" + QString(510, QLatin1Char(' ')) << en << false << 0.0;
    QTest::newRow("512 characters ok") << QString(511, QLatin1Char(' ')) + "1" << en << true << 1.0;
}

void TestAmountParser::evaluate()
{
    QFETCH(QString, text);
    QFETCH(QString, locale);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const AmountParser::Result result = AmountParser::parse(text, numberLocale(qPrintable(locale)));
    QCOMPARE(result.ok, ok);
    if (ok)
        QCOMPARE(result.value, value);
}

void TestAmountParser::validate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("state");

    const QString en = QStringLiteral("en_US");
    QTest::newRow("expression") << "12*3+4.5" << en << int(QValidator::Acceptable);
    QTest::newRow("empty stays typeable") << "" << en << int(QValidator::Intermediate);
    QTest::newRow("dangling operator") << "12*" << en << int(QValidator::Intermediate);
    QTest::newRow("open parenthesis") << "(3" << en << int(QValidator::Intermediate);
    QTest::newRow("on the way to 5/0.5") << "5/0" << en << int(QValidator::Intermediate);
    QTest::newRow("too deep is incomplete, not refused")
        << nested(64, "(", "1", ")") << en << int(QValidator::Intermediate);
    QTest::newRow("letter refused") << "12a" << en << int(QValidator::Invalid);
    QTest::newRow("comma refused in English") << "1,5" << en << int(QValidator::Invalid);
    QTest::newRow("comma is the decimal in German")
        << "1,5" << QStringLiteral("de_DE") << int(QValidator::Acceptable);
    QTest::newRow("Arabic") << QString::fromUtf16(u"\u0663\u066b\u0665") << QStringLiteral("ar_EG")
                            << int(QValidator::Acceptable);
    QTest::newRow("over 512 refused") << QString(513, QLatin1Char('1')) << en << int(QValidator::Invalid);
}

void TestAmountParser::validate()
{
    QFETCH(QString, text);
    QFETCH(QString, locale);
    QFETCH(int, state);
    AmountValidator validator;
    validator.setLocale(numberLocale(qPrintable(locale)));
    int pos = 0;
    QCOMPARE(int(validator.validate(text, pos)), state);
}

void TestAmountParser::amount_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const QString en = QStringLiteral("en_US");
    QTest::newRow("two decimals") << 81.0 << "CNY" << en << "81.00";
    QTest::newRow("yen rounds to whole") << 1234.5678 << "JPY" << en << "1235";
    QTest::newRow("won rounds to whole") << 999.5 << "KRW" << en << "1000";
    QTest::newRow("no group separators") << 1234567.891 << "USD" << en << "1234567.89";
    QTest::newRow("German decimal") << 2.5 << "EUR" << QStringLiteral("de_DE") << "2,50";
    QTest::newRow("Arabic digits") << 12.5 << "USD" << QStringLiteral("ar_EG")
                                   << QString::fromUtf16(u"\u0661\u0662\u066b\u0665\u0660");
    QTest::newRow("infinite is empty") << qInf() << "USD" << en << "";
    QTest::newRow("NaN is empty") << qQNaN() << "USD" << en << "";
}

void TestAmountParser::amount()
{
    QFETCH(double, value);
    QFETCH(QString, currency);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(AmountFormat::amount(value, currency, numberLocale(qPrintable(locale))), expected);
}

void TestAmountParser::rateLine_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("seven significant digits") << 1234567.891 << "1 USD = 1234568 CNY";
    QTest::newRow("small rate") << 0.000123456789 << "1 USD = 0.0001234568 CNY";
    QTest::newRow("short rate") << 7.25 << "1 USD = 7.25 CNY";
}

void TestAmountParser::rateLine()
{
    QFETCH(double, rate);
    QFETCH(QString, expected);
    QCOMPARE(
        AmountFormat::rateLine(QStringLiteral("USD"), rate, QStringLiteral("CNY"), numberLocale("en_US")),
        expected);
}

void TestAmountParser::relocalise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("expected");
    QTest::newRow("English to Arabic") << "12.5"
                                       << "en_US"
                                       << "ar_EG" << QString::fromUtf16(u"\u0661\u0662\u066b\u0665");
    QTest::newRow("Arabic to English") << QString::fromUtf16(u"\u0661\u0662\u066b\u0665") << "ar_EG"
                                       << "en_US"
                                       << "12.5";
    QTest::newRow("English to German keeps operators") << "2.5*(3+1)"
                                                       << "en_US"
                                                       << "de_DE"
                                                       << "2,5*(3+1)";
    QTest::newRow("a comma is not a decimal in English") << "1,5"
                                                         << "en_US"
                                                         << "de_DE"
                                                         << "1,5";
}

void TestAmountParser::relocalise()
{
    QFETCH(QString, text);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    const QLocale toLocale = numberLocale(qPrintable(to));
    const QString rewritten = AmountFormat::relocalise(text, numberLocale(qPrintable(from)), toLocale);
    QCOMPARE(rewritten, expected);
}

QTEST_APPLESS_MAIN(TestAmountParser)
#include "test_amountparser.moc"
