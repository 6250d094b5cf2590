#pragma once

#include <QLineEdit>

class AmountValidator;
class CurrencyButton;
class HoverTracker;

// An amount field: a left-to-right line edit that takes only what may become
// an amount, with copy and clear buttons at its right end while the pointer is
// over it. A text that is no number is kept as typed and marked; an amount too
// long for the field shows its beginning and whole in the tooltip.
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

    // The copy and clear buttons work only on a field with text, and the
    // tooltip holds a text that the field cuts. Text written with signals
    // blocked calls this itself.
    void followText();

    // Writes a converted amount, its beginning in view (signals blocked or
    // not: followText is the caller's).
    void showConverted(const QString &text);

    // The field's text is no number: its border says so.
    void setNotANumber(bool notANumber);
    bool isNotANumber() const { return m_notANumber; }
    // The box's border: red for no number, lighter while focused.
    QColor borderColor() const;
    // The field is empty because the other one's text is no number: its
    // placeholder says so.
    void setOtherNotANumber(bool notANumber);

    void copyText();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeButtons();
    void setButtonsShown(bool shown);
    void updateToolTip();

    AmountValidator *m_validator;
    CurrencyButton *m_copy;
    CurrencyButton *m_clear;
    HoverTracker *m_hover;
    bool m_notANumber = false;
    bool m_otherNotANumber = false;
};
