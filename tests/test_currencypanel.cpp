#include "TestEnvironment.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyAmountEdit.h"
#include "currency/CurrencyButton.h"
#include "currency/CurrencyCombo.h"
#include "currency/CurrencyConverter.h"
#include "currency/CurrencyPanel.h"
#include "currency/RateClient.h"
#include "currency/RateRecord.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Nothing listens there: every refresh fails at once and the cache decides.
const QUrl offline(QStringLiteral("http://127.0.0.1:9"));

void cache(const char *from, const char *to, double rate, int daysAgo = 1)
{
    const QString f = QLatin1String(from);
    const QString t = QLatin1String(to);
    RateRecord::store(
        f, t,
        {{QStringLiteral("base"), f},
         {QStringLiteral("quote"), t},
         {QStringLiteral("rate"), rate},
         {QStringLiteral("date"), QDate::currentDate().addDays(-daysAgo).toString(Qt::ISODate)}});
}

template<typename T>
T *child(const CurrencyPanel &panel, const char *name)
{
    T *widget = panel.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

bool settle(CurrencyPanel &panel)
{
    return QTest::qWaitFor([&panel] { return !panel.rateClient()->isBusy(); }, 5000);
}

} // namespace

class TestCurrencyPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void firstStartOffline();
    void cachedRateWhenOffline();
    void convert_data();
    void convert();
    void backwards();
    void swap();
    void sameCurrency();
    void arabic();
    void closeHides();
    void quitClosesIt();
    void fieldButtons();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestCurrencyPanel::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
    L10n::changeLanguage(QStringLiteral("en"));
}

void TestCurrencyPanel::cleanup()
{
    L10n::changeLanguage(QStringLiteral("en"));
    m_env.reset();
}

void TestCurrencyPanel::firstStartOffline()
{
    CurrencyPanel panel(offline);
    QCOMPARE(child<CurrencyCombo>(panel, "currencyFrom")->currentText(), QStringLiteral("USD"));
    QCOMPARE(child<CurrencyCombo>(panel, "currencyTo")->currentText(), QStringLiteral("CNY"));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyAmount")->text(), QStringLiteral("1"));
    // Nothing is asked before the panel shows.
    QCOMPARE(panel.rateClient()->serial(), 0);
    panel.show();
    QCOMPARE(panel.rateClient()->serial(), 1);
    QVERIFY(!child<CurrencyButton>(panel, "currencyRefresh")->isEnabled());
    QVERIFY(settle(panel));
    QCOMPARE(child<QLabel>(panel, "currencyStatus")->text(),
             QStringLiteral("Rate unavailable \u00b7 Try refresh"));
    QVERIFY(child<QLabel>(panel, "currencyRate")->text().isEmpty());
    QVERIFY(child<CurrencyAmountEdit>(panel, "currencyResult")->text().isEmpty());
    QVERIFY(child<CurrencyButton>(panel, "currencyRefresh")->isEnabled());
}

void TestCurrencyPanel::cachedRateWhenOffline()
{
    cache("USD", "CNY", 7.2);
    CurrencyPanel panel(offline);
    panel.show();
    QVERIFY(settle(panel));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyResult")->text(), QStringLiteral("7.20"));
    QCOMPARE(child<QLabel>(panel, "currencyRate")->text(), QStringLiteral("1 USD = 7.2 CNY"));
    const QString date = QLocale().toString(QDate::currentDate().addDays(-1), QLocale::ShortFormat);
    QCOMPARE(child<QLabel>(panel, "currencyStatus")->text(),
             QStringLiteral("Cached rate \u00b7 Refresh failed\nAs of ") + date);
}

void TestCurrencyPanel::convert_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("expression") << "CNY" << 2.0 << "12*3+4.5"
                                << "81.00";
    QTest::newRow("negated group") << "CNY" << 2.0 << "-(2)"
                                   << "-4.00";
    QTest::newRow("sign after operator") << "CNY" << 2.0 << "2*-3"
                                         << "-12.00";
    QTest::newRow("yen has no decimals") << "JPY" << 1.0 << "1234.5678"
                                         << "1235";
    QTest::newRow("division by zero leaves nothing") << "CNY" << 2.0 << "5/0"
                                                     << "";
    QTest::newRow("incomplete leaves nothing") << "CNY" << 2.0 << "12*"
                                               << "";
}

void TestCurrencyPanel::convert()
{
    QFETCH(QString, to);
    QFETCH(double, rate);
    QFETCH(QString, input);
    QFETCH(QString, result);
    cache("USD", qPrintable(to), rate);
    CurrencyPanel panel(offline);
    child<CurrencyCombo>(panel, "currencyTo")->selectCode(to);
    panel.converter()->refreshRate();
    child<CurrencyAmountEdit>(panel, "currencyAmount")->setText(input);
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyResult")->text(), result);
}

void TestCurrencyPanel::backwards()
{
    cache("USD", "CNY", 4.0);
    CurrencyPanel panel(offline);
    panel.converter()->refreshRate();
    auto *amount = child<CurrencyAmountEdit>(panel, "currencyAmount");
    auto *result = child<CurrencyAmountEdit>(panel, "currencyResult");
    amount->setText(QStringLiteral("3"));
    QCOMPARE(result->text(), QStringLiteral("12.00"));
    result->setText(QStringLiteral("10"));
    QVERIFY(panel.converter()->isBackwards());
    QCOMPARE(amount->text(), QStringLiteral("2.50"));
    // The rate line still reads from -> to.
    QCOMPARE(child<QLabel>(panel, "currencyRate")->text(), QStringLiteral("1 USD = 4 CNY"));
}

void TestCurrencyPanel::swap()
{
    cache("USD", "CNY", 4.0);
    cache("CNY", "USD", 0.25);
    CurrencyPanel panel(offline);
    panel.converter()->refreshRate();
    child<CurrencyAmountEdit>(panel, "currencyAmount")->setText(QStringLiteral("100"));
    const int serial = panel.rateClient()->serial();
    child<CurrencyButton>(panel, "currencySwap")->click();
    QCOMPARE(panel.rateClient()->serial(), serial + 1); // exactly one refresh
    QCOMPARE(child<CurrencyCombo>(panel, "currencyFrom")->currentText(), QStringLiteral("CNY"));
    QCOMPARE(child<CurrencyCombo>(panel, "currencyTo")->currentText(), QStringLiteral("USD"));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyAmount")->text(), QStringLiteral("100"));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyResult")->text(), QStringLiteral("25.00"));
}

void TestCurrencyPanel::sameCurrency()
{
    CurrencyPanel panel(offline);
    child<CurrencyCombo>(panel, "currencyFrom")->selectCode(QStringLiteral("EUR"));
    child<CurrencyCombo>(panel, "currencyTo")->selectCode(QStringLiteral("EUR"));
    child<CurrencyAmountEdit>(panel, "currencyAmount")->setText(QStringLiteral("42"));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyResult")->text(), QStringLiteral("42.00"));
    QCOMPARE(child<QLabel>(panel, "currencyStatus")->text(), QStringLiteral("Same currency"));
    QVERIFY(child<CurrencyButton>(panel, "currencyRefresh")->isEnabled());
}

void TestCurrencyPanel::arabic()
{
    cache("USD", "CNY", 2.0);
    CurrencyPanel panel(offline);
    panel.converter()->refreshRate();
    auto *amount = child<CurrencyAmountEdit>(panel, "currencyAmount");
    amount->setText(QStringLiteral("12.5"));
    L10n::changeLanguage(QStringLiteral("ar"));
    QCOMPARE(amount->text(), QString::fromUtf16(u"\u0661\u0662\u066b\u0665"));
    QCOMPARE(child<CurrencyAmountEdit>(panel, "currencyResult")->text(),
             QString::fromUtf16(u"\u0662\u0665\u066b\u0660\u0660"));
    QVERIFY(!panel.converter()->isBackwards());
    // The typed Arabic digits still validate in the new locale.
    QString typed = amount->text() + QStringLiteral("*2");
    int pos = 0;
    QCOMPARE(amount->validator()->validate(typed, pos), QValidator::Acceptable);
    L10n::changeLanguage(QStringLiteral("en"));
    QCOMPARE(amount->text(), QStringLiteral("12.5"));
}

void TestCurrencyPanel::closeHides()
{
    CurrencyPanel panel(offline);
    panel.show();
    QSignalSpy hidden(&panel, &CurrencyPanel::hideRequested);
    QVERIFY(panel.close() == false); // the window stays; its owner decides
    QCOMPARE(hidden.count(), 1);
    QVERIFY(!panel.isVisible());
}

void TestCurrencyPanel::quitClosesIt()
{
    CurrencyPanel panel(offline);
    panel.show();
    QSignalSpy hidden(&panel, &CurrencyPanel::hideRequested);
    // Qt closes every window before quitting; a refusal would cancel the quit.
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    QVERIFY(quit.isAccepted());
    QVERIFY(!panel.isVisible());
    QCOMPARE(hidden.count(), 0); // still meant to show at the next start
    // The user's closing afterwards is a hide request again.
    QTest::qWait(1);
    panel.show();
    panel.close();
    QCOMPARE(hidden.count(), 1);
}

void TestCurrencyPanel::fieldButtons()
{
    CurrencyPanel panel(offline);
    auto *amount = child<CurrencyAmountEdit>(panel, "currencyAmount");
    QVERIFY(amount->copyButton()->isEnabled());
    amount->clearButton()->click();
    QVERIFY(amount->text().isEmpty());
    QVERIFY(!amount->copyButton()->isEnabled());
    QVERIFY(!amount->clearButton()->isEnabled());
    // The close button keeps its room while hidden, so the title never moves.
    auto *close = child<QPushButton>(panel, "currencyClose");
    QVERIFY(close->isHidden());
    QVERIFY(close->sizePolicy().retainSizeWhenHidden());
}

QTEST_MAIN(TestCurrencyPanel)
#include "test_currencypanel.moc"
