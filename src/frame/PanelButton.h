#pragma once

#include <QPushButton>

// A hover button of a panel's title band: a rounded plate with a glyph,
// lighter under the pointer; the close button turns red. Painted here rather
// than by a style sheet, which would give every button a style sheet engine of
// its own at start.
class PanelButton : public QPushButton
{
    Q_OBJECT

public:
    enum Tone
    {
        Plain,
        Danger
    };

    explicit PanelButton(Tone tone, QWidget *parent = nullptr);
    ~PanelButton() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The plate's colour in the button's present state.
    QColor plateColor() const;

    Tone m_tone;
};
