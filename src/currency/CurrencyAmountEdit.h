#pragma once

#include <QLineEdit>

class AmountValidator;
class CurrencyButton;
class HoverTracker;

// An amount field: a left-to-right line edit that takes only what may become
// an amount, with copy and clear buttons at its right end while the pointer is
// over it.
class CurrencyAmountEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int copiedToolTipMs = 1000;

    explicit CurrencyAmountEdit(QWidget *parent = nullptr);
    ~CurrencyAmountEdit() override;

    AmountValidator *amountValidator() const { return m_validator; }
    CurrencyButton *copyButton() const { return m_copy; }
    CurrencyButton *clearButton() const { return m_clear; }

    // The copy and clear buttons work only on a field with text.
    void updateButtons();

    void copyText();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeButtons();
    void setButtonsShown(bool shown);

    AmountValidator *m_validator;
    CurrencyButton *m_copy;
    CurrencyButton *m_clear;
    HoverTracker *m_hover;
};
