#include "currency/AmountParser.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

// Random and mutated amounts: the evaluator must neither crash nor hang, and
// nothing it calls a success may be infinite or NaN.
class TestAmountFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomAndMutated();
};

namespace {

const QString alphabet =
    QString::fromUtf8("0123456789....++--**//(((()))) \t\u2212\u0661\u066b\uff15eE,a\u200f");

const QStringList seeds = {
    QStringLiteral("12*3+4.5"),
    QStringLiteral("-(2)"),
    QStringLiteral("2*-3"),
    QStringLiteral("((1+2)*(3-4))/5"),
    QStringLiteral("99999999999999999999*99999999999999999999"),
    QStringLiteral("1/3/3/3"),
    QStringLiteral(".5+5."),
};

QString randomText(QRandomGenerator &random)
{
    const int length = random.bounded(0, 80);
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(alphabet.at(random.bounded(int(alphabet.size()))));
    return text;
}

QString mutated(QRandomGenerator &random, QString text)
{
    const int edits = random.bounded(1, 6);
    for (int i = 0; i < edits; ++i) {
        const int at = text.isEmpty() ? 0 : random.bounded(int(text.size()));
        switch (random.bounded(4)) {
        case 0:
            text.insert(at, alphabet.at(random.bounded(int(alphabet.size()))));
            break;
        case 1:
            if (!text.isEmpty())
                text.remove(at, 1);
            break;
        case 2:
            text = text.left(at) + text + text.mid(at); // grow and nest
            break;
        default:
            text = QStringLiteral("(") + text + QStringLiteral(")*") + text;
            break;
        }
        if (text.size() > 2 * AmountParser::maxLength)
            text.truncate(2 * AmountParser::maxLength);
    }
    return text;
}

} // namespace

void TestAmountFuzz::randomAndMutated()
{
    QRandomGenerator random(20240611);
    QLocale locale(QStringLiteral("en_US"));
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    int succeeded = 0;
    int failed = 0;
    for (int i = 0; i < 300000; ++i) {
        const QString text =
            (i % 2) ? randomText(random) : mutated(random, seeds.at(random.bounded(int(seeds.size()))));
        const AmountParser::Result result = AmountParser::parse(text, locale);
        if (result.ok) {
            ++succeeded;
            if (!std::isfinite(result.value))
                QFAIL(qPrintable(QStringLiteral("non-finite success for: ") + text));
        } else {
            ++failed;
        }
    }
    // Both outcomes must actually be exercised, or the generator tests nothing.
    QVERIFY(succeeded > 1000);
    QVERIFY(failed > 1000);
}

QTEST_APPLESS_MAIN(TestAmountFuzz)
#include "test_amountfuzz.moc"
