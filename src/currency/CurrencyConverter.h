#pragma once

#include <QLocale>
#include <QObject>

class CurrencyAmountEdit;
class CurrencyCombo;
class QLabel;
class QPushButton;
class RateClient;

// The converter behind the currency panel's widgets: whichever amount field
// the user typed into last is converted into the other at the current rate,
// the rate and status lines follow the rate client, and typed amounts are
// rewritten in the new language's digits when the language changes.
class CurrencyConverter : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        CurrencyAmountEdit *amount;
        CurrencyAmountEdit *result;
        CurrencyCombo *from;
        CurrencyCombo *to;
        QLabel *rateLine;
        QLabel *status;
        QPushButton *refresh;
    };

    CurrencyConverter(const Widgets &widgets, RateClient *client, QObject *parent);
    ~CurrencyConverter() override;

    // Stores the selected pair and asks for its rate.
    void refreshRate();
    // Converts the input field into the other one and writes the rate line.
    void updateResult();
    // Exchanges the two codes; the typed amount is converted the other way.
    void swap();
    // False: the amount field is the input; true: the result field is.
    bool isBackwards() const { return m_backwards; }

    RateClient *client() const { return m_client; }

private:
    void showStatus();
    void languageChanged();

    Widgets m_widgets;
    RateClient *m_client;
    QLocale m_locale;
    bool m_backwards = false;
};
