#include "CurrencyConverter.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "currency/AmountFormat.h"
#include "currency/AmountParser.h"
#include "currency/AmountValidator.h"
#include "currency/CurrencyAmountEdit.h"
#include "currency/CurrencyCombo.h"
#include "currency/RateClient.h"
#include "currency/RateStatus.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalBlocker>

// What the converter shows, for tests and for diagnosing a user's report:
// QT_LOGGING_RULES="larkspan.currency.info=true".
Q_LOGGING_CATEGORY(currencyLog, "larkspan.currency", QtWarningMsg)

CurrencyConverter::CurrencyConverter(const Widgets &widgets, RateClient *client, QObject *parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_client(client)
    , m_locale(AmountParser::numberLocale())
{
    Settings *settings = Settings::instance();
    m_widgets.from->selectCode(settings->value(SettingsKeys::currencyFrom).toString());
    m_widgets.to->selectCode(settings->value(SettingsKeys::currencyTo).toString());
    m_widgets.amount->setText(QStringLiteral("1"));

    connect(m_widgets.refresh, &QPushButton::clicked, this, &CurrencyConverter::refreshRate);
    connect(m_widgets.from, &QComboBox::currentTextChanged, this, &CurrencyConverter::refreshRate);
    connect(m_widgets.to, &QComboBox::currentTextChanged, this, &CurrencyConverter::refreshRate);
    connect(m_widgets.amount, &QLineEdit::textChanged, this, [this] {
        m_backwards = false;
        updateResult();
    });
    connect(m_widgets.result, &QLineEdit::textChanged, this, [this] {
        m_backwards = true;
        updateResult();
    });
    connect(m_client, &RateClient::rateChanged, this, &CurrencyConverter::updateResult);
    connect(m_client, &RateClient::statusChanged, this, &CurrencyConverter::showStatus);
    connect(m_client, &RateClient::busyChanged, m_widgets.refresh,
            [refresh = m_widgets.refresh](bool busy) { refresh->setEnabled(!busy); });
    L10n::onLanguageChanged(this, [this] { languageChanged(); });
    updateResult();
}

CurrencyConverter::~CurrencyConverter() = default;

void CurrencyConverter::refreshRate()
{
    const QString from = m_widgets.from->currentText();
    const QString to = m_widgets.to->currentText();
    Settings::instance()->setValue(SettingsKeys::currencyFrom, from);
    Settings::instance()->setValue(SettingsKeys::currencyTo, to);
    m_client->refresh(from, to);
}

void CurrencyConverter::swap()
{
    {
        const QSignalBlocker fromBlocker(m_widgets.from);
        const QSignalBlocker toBlocker(m_widgets.to);
        const QString from = m_widgets.from->currentText();
        m_widgets.from->selectCode(m_widgets.to->currentText());
        m_widgets.to->selectCode(from);
    }
    refreshRate();
}

void CurrencyConverter::updateResult()
{
    CurrencyAmountEdit *input = m_backwards ? m_widgets.result : m_widgets.amount;
    CurrencyAmountEdit *output = m_backwards ? m_widgets.amount : m_widgets.result;
    const QString outputCode = m_backwards ? m_widgets.from->currentText() : m_widgets.to->currentText();
    const QLocale locale = AmountParser::numberLocale();
    const AmountParser::Result amount = AmountParser::parse(input->text(), locale);
    const bool known = m_client->hasRate();
    {
        const QSignalBlocker blocker(output);
        if (known && amount.ok) {
            const double rate = m_client->rateValue();
            const double converted = m_backwards ? amount.value / rate : amount.value * rate;
            output->showConverted(AmountFormat::amount(converted, outputCode, locale));
        } else {
            output->clear();
        }
    }
    // Kept as typed, a text that is no number is said to be one rather than
    // read as some other number.
    const bool notANumber = !amount.ok && !input->text().trimmed().isEmpty();
    input->setNotANumber(notANumber);
    output->setNotANumber(false);
    input->setOtherNotANumber(false);
    output->setOtherNotANumber(notANumber);
    m_widgets.amount->followText();
    m_widgets.result->followText();
    m_widgets.rateLine->setText(known ? AmountFormat::rateLine(m_widgets.from->currentText(),
                                                               m_client->rateValue(),
                                                               m_widgets.to->currentText(), locale)
                                      : QString());
    qCInfo(currencyLog).noquote() << "result:"
                                  << (notANumber ? QStringLiteral("(not a number)") : output->text())
                                  << "| rate:" << m_widgets.rateLine->text();
}

void CurrencyConverter::showStatus()
{
    const RateStatus::Shown shown =
        RateStatus::shown(m_client->statusKey(), m_client->rate(), m_client->from() == m_client->to());
    m_widgets.status->setText(shown.text);
    m_widgets.status->setToolTip(shown.toolTip);
    qCInfo(currencyLog).noquote() << "status:"
                                  << QString(shown.text).replace(QLatin1Char('\n'), QLatin1String(" / "));
}

void CurrencyConverter::languageChanged()
{
    const QLocale locale = AmountParser::numberLocale();
    const QSignalBlocker amountBlocker(m_widgets.amount);
    const QSignalBlocker resultBlocker(m_widgets.result);
    CurrencyAmountEdit *input = m_backwards ? m_widgets.result : m_widgets.amount;
    input->setText(AmountFormat::relocalise(input->text(), m_locale, locale));
    m_widgets.amount->amountValidator()->setLocale(locale);
    m_widgets.result->amountValidator()->setLocale(locale);
    m_locale = locale;
    updateResult();
    if (!m_client->statusKey().isEmpty())
        showStatus();
}
