#include "StyleSheetCheck.h"
#include "TestEnvironment.h"
#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "currency/CurrencyAmountEdit.h"
#include "currency/CurrencyButton.h"
#include "currency/CurrencyCombo.h"
#include "currency/CurrencyConverter.h"
#include "currency/CurrencyPanel.h"
#include "currency/CurrencyStyle.h"
#include "currency/RateClient.h"
#include "currency/RateFetchProcess.h"
#include "currency/RateRecord.h"
#include "fakes/FakeCompositorWatch.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QtTest>

namespace {

// Nothing listens there: every refresh fails at once and the cache decides.
const QUrl offline("http://127.0.0.1:9");

void cache(const QString &from, const QString &to, double rate)
{
    const QString date = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    RateRecord::store(from, to, {{"base", from}, {"quote", to}, {"rate", rate}, {"date", date}});
}

// The panel and its fields, found by name.
struct Panel : CurrencyPanel
{
    explicit Panel(CompositorWatch *compositor = nullptr)
        : CurrencyPanel(offline, compositor)
    {}
    template<typename T = CurrencyAmountEdit>
    T *field(const char *name) const
    {
        T *widget = findChild<T *>(QString("currency") + name);
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    QString text(const char *name) const { return field<QLabel>(name)->text(); }
};

} // namespace

class TestCurrencyPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        RateFetchProcess::setHelperProgram(QStringLiteral(LARKSPAN_RATE_FETCH_HELPER));
        m_env = std::make_unique<TestEnvironment>();
        TestEnvironment::settings().clear();
        L10n::changeLanguage("en");
    }

    void cleanup()
    {
        L10n::changeLanguage("en");
        m_env.reset();
    }

    void offline_data()
    {
        QTest::addColumn<bool>("cached");
        QTest::newRow("first start") << false;
        QTest::newRow("yesterday's rate cached") << true;
    }

    void offline()
    {
        QFETCH(bool, cached);
        if (cached)
            cache("USD", "CNY", 7.2);
        Panel panel;
        QCOMPARE(panel.rateClient()->serial(), 0); // nothing is asked before the panel shows
        panel.show();
        QCoreApplication::processEvents(); // the request starts once the window is on its way
        QVERIFY(panel.rateClient()->serial() == 1 && !panel.field<CurrencyButton>("Refresh")->isEnabled());
        QVERIFY(QTest::qWaitFor([&panel] { return !panel.rateClient()->isBusy(); }, 5000));
        QVERIFY(panel.field<CurrencyButton>("Refresh")->isEnabled());
        const QString date = QLocale().toString(QDate::currentDate().addDays(-1), QLocale::ShortFormat);
        QCOMPARE(panel.text("Status"), cached
                                           ? QString::fromUtf8(RateClient::refreshFailed) + "\nAs of " + date
                                           : QString::fromUtf8(RateClient::unavailable));
        QCOMPARE(panel.text("Rate"), cached ? "1 USD = 7.2 CNY" : "");
        QCOMPARE(panel.field("Result")->text(), cached ? "7.20" : "");
        // Painted, not styled: a style sheet would bring its engine at every start.
        QCOMPARE(styleSheetUser(&panel), QString());
    }

    void convert_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("typedInto");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("converted");
        // Typed into one field, converted into the other; "Result" converts backwards.
        const auto addConversion = [](const char *name, const char *to, const char *typedInto,
                                      const char *input, const char *converted) {
            QTest::newRow(name) << QString(to) << QString(typedInto) << QString(input) << QString(converted);
        };
        addConversion("expression times the rate", "CNY", "Amount", "12*3+4.5", "81.00");
        addConversion("yen has no decimals", "JPY", "Amount", "617.2839", "1235");
        addConversion("division by zero leaves nothing", "CNY", "Amount", "5/0", "");
        addConversion("backwards", "CNY", "Result", "5", "2.50");
    }

    void convert()
    {
        QFETCH(QString, to);
        QFETCH(QString, typedInto);
        QFETCH(QString, input);
        cache("USD", to, 2.0);
        Panel panel;
        panel.field<CurrencyCombo>("To")->selectCode(to);
        panel.converter()->refreshRate();
        panel.field("Amount")->setText("1");
        const bool backwards = typedInto == "Result";
        panel.field(qPrintable(typedInto))->setText(input);
        QTEST(panel.field(backwards ? "Amount" : "Result")->text(), "converted");
        QCOMPARE(panel.converter()->isBackwards(), backwards);
        // The rate line reads from -> to either way.
        QCOMPARE(panel.text("Rate"), "1 USD = 2 " + to);
    }

    void swapAndSameCurrency()
    {
        cache("USD", "CNY", 4.0);
        cache("CNY", "USD", 0.25);
        Panel panel;
        panel.converter()->refreshRate();
        panel.field("Amount")->setText("100");
        const int serial = panel.rateClient()->serial();
        panel.field<CurrencyButton>("Swap")->click();
        QCOMPARE(panel.rateClient()->serial(), serial + 1); // exactly one refresh
        QCOMPARE(panel.field("Amount")->text() + "=" + panel.field("Result")->text(), "100=25.00");
        Panel restarted; // the chosen pair is kept
        for (const Panel *shown : {&panel, &restarted})
            QCOMPARE(shown->field<CurrencyCombo>("From")->currentText() +
                         shown->field<CurrencyCombo>("To")->currentText(),
                     "CNYUSD");
        // The same currency on both sides needs no rate, and no request stays under way.
        panel.field<CurrencyCombo>("From")->selectCode("USD");
        QCOMPARE(panel.field("Result")->text(), "100.00");
        QCOMPARE(panel.text("Status"), QString::fromUtf8(RateClient::sameCurrency));
        QVERIFY(panel.field<CurrencyButton>("Refresh")->isEnabled());
    }

    void arabic()
    {
        cache("USD", "CNY", 2.0);
        Panel panel;
        panel.converter()->refreshRate();
        auto *amount = panel.field("Amount");
        amount->setText("12.5");
        L10n::changeLanguage("ar");
        QCOMPARE(amount->text(), QString::fromUtf16(u"\u0661\u0662\u066b\u0665"));
        QCOMPARE(panel.field("Result")->text(), QString::fromUtf16(u"\u0662\u0665\u066b\u0660\u0660"));
        QVERIFY(!panel.converter()->isBackwards());
        // The typed Arabic digits still validate in the new locale.
        QString typed = amount->text() + "*2";
        int pos = 0;
        QCOMPARE(amount->validator()->validate(typed, pos), QValidator::Acceptable);
        L10n::changeLanguage("en");
        QCOMPARE(amount->text(), "12.5");
    }

    // What is typed stays as typed: a group separator written where it
    // belongs reads as one, anything else is shown to be no number.
    void typedSeparators_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("converted"); // empty: not a number
        QTest::newRow("English comma") << QString("en") << QString("1,5") << QString();
        QTest::newRow("English groups") << QString("en") << QString("1,500") << QString("3000.00");
        QTest::newRow("German point") << QString("de") << QString("1.5") << QString();
        QTest::newRow("German groups") << QString("de") << QString("1.500") << QString("3000,00");
    }

    void typedSeparators()
    {
        QFETCH(QString, language);
        QFETCH(QString, typed);
        QFETCH(QString, converted);
        L10n::changeLanguage(language);
        cache("USD", "CNY", 2.0);
        Panel panel;
        panel.converter()->refreshRate();
        auto *amount = panel.field("Amount");
        auto *result = panel.field("Result");
        amount->clear();
        QTest::keyClicks(amount, typed);
        QCOMPARE(amount->text(), typed);
        QCOMPARE(result->text(), converted);
        QCOMPARE(amount->isNotANumber(), converted.isEmpty());
        QCOMPARE(amount->borderColor() == CurrencyStyle::notANumberBorder, converted.isEmpty());
        QCOMPARE(result->placeholderText(), L10n::text(converted.isEmpty() ? "Not a number" : "Amount"));
    }

    // A converted amount longer than its field keeps its fixed notation,
    // shows its leading digits and is whole in the tooltip; the fields' buttons copy and clear.
    // The fields draw their own rounded box; the focused one's border is lighter.
    void amountFields()
    {
        cache("USD", "CNY", 2.0);
        Panel panel;
        panel.show();
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        for (const char *focused : {"Amount", "Result"}) {
            panel.field(focused)->setFocus();
            QTRY_VERIFY(panel.field(focused)->hasFocus());
            for (const char *name : {"Amount", "Result"})
                QCOMPARE(panel.field(name)->borderColor(),
                         QColor(qstrcmp(focused, name) == 0 ? "#91abc9" : "#4a5668"));
        }
        auto *result = panel.field("Result");
        panel.field("Amount")->setText("123456789012345678901234567890");
        QVERIFY(result->text().startsWith("24691357802469") && result->text().endsWith(".00"));
        QCOMPARE(result->toolTip(), result->text());
        result->copyButton()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), result->text());
        const QRect cursor = result->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QVERIFY2(cursor.left() <= result->textMargins().left() + 2,
                 qPrintable(QString::number(cursor.left())));
        auto *amount = panel.field("Amount");
        amount->setText("1");
        QCOMPARE(result->text(), "2.00");
        QVERIFY(result->toolTip().isEmpty()); // it fits
        // An emptied field has nothing to copy or clear.
        QVERIFY(amount->copyButton()->isEnabled());
        amount->clearButton()->click();
        QVERIFY(amount->text().isEmpty() && !amount->copyButton()->isEnabled() &&
                !amount->clearButton()->isEnabled());
    }

    // A current entry further down the list would put Fusion's menu over the
    // combo; the list drops down below it, as a list of the whole panel.
    // Closing hides the panel, unless the program is quitting.
    void choosingAndClosing()
    {
        cache("USD", "JPY", 150.0);
        Panel panel;
        panel.move(100, 200);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        for (const char *combo : {"To", "From"}) {
            auto *box = panel.field<CurrencyCombo>(combo);
            box->setCurrentIndex(4);
            box->showPopup();
            QAbstractItemView *list = box->view();
            QTRY_VERIFY(list->window()->isVisible());
            QCOMPARE(list->window()->geometry().top(), box->mapToGlobal(box->rect().bottomLeft()).y());
            // A list's rows, not a menu's, in the dark list, not the platform's.
            QVERIFY(!list->itemDelegate()->inherits("QComboMenuDelegate"));
            QVERIFY(!list->styleSheet().isEmpty());
            const QModelIndex yen = list->model()->index(box->findText("JPY"), 0);
            list->scrollTo(yen);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(yen).center());
            QTRY_VERIFY(!list->isVisible());
            QCOMPARE(box->currentText(), "JPY");
            if (qstrcmp(combo, "To") == 0)
                QCOMPARE(panel.text("Rate"), "1 USD = 150 JPY");
            box->showPopup(); // opened again, it is the same list
            QCOMPARE(box->view(), list);
            box->hidePopup();
        }

        QSignalSpy hidden(&panel, &CurrencyPanel::hideRequested);
        QVERIFY(!panel.close()); // the window stays; its owner decides
        QVERIFY(!panel.isVisible() && hidden.count() == 1);
        panel.show();
        // Qt closes every window before quitting; a refusal would cancel the quit.
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        QVERIFY(quit.isAccepted() && !panel.isVisible());
        QCOMPARE(hidden.count(), 1); // still meant to show at the next start
        // The user's closing afterwards is a hide request again.
        QTest::qWait(1);
        panel.show();
        panel.close();
        QCOMPARE(hidden.count(), 2);
    }

    // The panel moves by the whole title band of every panel window.
    void drag_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<bool>("moves"); // and stores its new place
        QTest::newRow("header") << QPoint(100, 20) << true;
        QTest::newRow("title band below the header") << QPoint(10, 40) << true;
        QTest::newRow("below the title band") << QPoint(10, 50) << false;
    }

    void drag()
    {
        QFETCH(QPoint, press);
        Panel panel;
        panel.setGeometry(100, 120, 300, 214);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.storePanelGeometry();
        const QByteArray before = Settings::instance()->value(SettingsKeys::currencyGeometry).toByteArray();
        const QPoint start = panel.pos();
        QTest::mousePress(&panel, Qt::LeftButton, {}, press);
        QTest::mouseMove(&panel, press + QPoint(40, 30));
        QTest::mouseRelease(&panel, Qt::LeftButton, {}, press + QPoint(40, 30));
        QTEST(panel.pos() != start, "moves");
        panel.hide();
        QTEST(Settings::instance()->value(SettingsKeys::currencyGeometry).toByteArray() != before, "moves");
    }

    // An older generation was laid out for a smaller panel: its place is kept,
    // its size becomes the default.
    void olderLayout_data()
    {
        QTest::addColumn<QVariant>("version"); // as stored; invalid: none
        QTest::addColumn<QSize>("size");
        QTest::newRow("no version") << QVariant() << CurrencyPanel::defaultPanelSize;
        QTest::newRow("version 1") << QVariant(1) << CurrencyPanel::defaultPanelSize;
        QTest::newRow("current") << QVariant(CurrencyPanel::layoutVersion) << QSize(320, 250);
    }

    void olderLayout()
    {
        QFETCH(QVariant, version);
        {
            Panel old;
            old.setGeometry(100, 120, 320, 250);
            Settings::instance()->setValue(SettingsKeys::currencyGeometry, old.saveGeometry());
        }
        if (version.isValid())
            Settings::instance()->setValue(SettingsKeys::currencyLayoutVersion, version);
        Panel panel;
        QVERIFY(panel.restorePanelGeometry(QRect(500, 300, 300, 214)));
        QCOMPARE(panel.pos(), QPoint(100, 120));
        QTEST(panel.size(), "size");
        QCOMPARE(Settings::instance()->value(SettingsKeys::currencyLayoutVersion).toInt(), 2);
    }

    void shapeFollowsCompositor_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::newRow("translucent") << true;
        QTest::newRow("no compositor: solid, cut to its outline") << false;
    }

    void shapeFollowsCompositor()
    {
        QFETCH(bool, composited);
        FakeCompositorWatch compositor(composited);
        Panel panel(&compositor);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(panel.grab().toImage().pixelColor(4, panel.height() / 2).alpha(), composited ? 220 : 255);
        // A selector's rounded list shows no square corners around it.
        auto *from = panel.field<CurrencyCombo>("From");
        from->showPopup();
        QWidget *list = from->view()->window();
        QTRY_VERIFY(list != &panel && list->isVisible());
        QVERIFY(list->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(qobject_cast<QFrame *>(list)->frameWidth(), 0);
        for (const QWidget *window : {static_cast<QWidget *>(&panel), list}) {
            // Without a compositor: cut to the rounded outline, the corner out, the top edge in.
            const QRegion mask = window->mask();
            QCOMPARE(mask.isEmpty(), composited);
            QVERIFY(composited ||
                    (!mask.contains(QPoint(1, 1)) && mask.contains(QPoint(window->width() / 2, 0))));
        }
        compositor.setActive(!composited);
        QCOMPARE(panel.mask().isEmpty(), !composited);
        QCOMPARE(list->mask().isEmpty(), !composited);
        from->hidePopup();
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestCurrencyPanel)
#include "test_currencypanel.moc"
