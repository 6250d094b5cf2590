#pragma once

#include <QPushButton>

// A flat button of the currency panel that draws its own line glyph.
class CurrencyButton : public QPushButton
{
    Q_OBJECT

public:
    enum Glyph
    {
        Clear,
        Swap,
        Refresh,
        Copy
    };

    CurrencyButton(Glyph glyph, bool small, QWidget *parent = nullptr);
    ~CurrencyButton() override;

    Glyph glyph() const { return m_glyph; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Glyph m_glyph;
    bool m_small;
};
