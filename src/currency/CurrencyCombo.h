#pragma once

#include <QComboBox>

// A currency selector: its codes in a dark rounded box with a chevron, a dark
// list popup, and type-ahead search of the codes from the keyboard.
class CurrencyCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit CurrencyCombo(QWidget *parent = nullptr);
    ~CurrencyCombo() override;

    // Selects the code when it is offered; otherwise the selection stays.
    void selectCode(const QString &code);

    // Names the selector and its list, in the current language, for assistive technology.
    void bindName(const char *sourceText);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_popupMade = false;
    const char *m_name = nullptr;
};
