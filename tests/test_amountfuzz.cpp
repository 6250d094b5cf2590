#include "currency/AmountParser.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

namespace {

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

// Random and mutated amounts: the evaluator must neither crash nor hang, and
// nothing it calls a success may be infinite or NaN.
class TestAmountFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomAndMutated()
    {
        QRandomGenerator random(20240611);
        QLocale locale("en_US");
        locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        int succeeded = 0;
        for (int i = 0; i < 300000; ++i) {
            const QString text =
                (i % 2) ? randomText(random) : mutated(random, seeds.at(random.bounded(int(seeds.size()))));
            const AmountParser::Result result = AmountParser::parse(text, locale);
            if (result.ok && !std::isfinite(result.value))
                QFAIL(qPrintable("non-finite success for: " + text));
            succeeded += result.ok ? 1 : 0;
        }
        // Both outcomes must actually be exercised, or the generator tests nothing.
        QVERIFY(succeeded > 1000);
        QVERIFY(succeeded < 300000 - 1000);
    }
};

QTEST_APPLESS_MAIN(TestAmountFuzz)
#include "test_amountfuzz.moc"
