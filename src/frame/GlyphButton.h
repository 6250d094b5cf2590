#pragma once

#include <QColor>
#include <QMargins>
#include <QPushButton>

// A flat button that is only its text (a glyph such as × or +, or a short
// label) in one colour at rest and another under the pointer. Painted here
// rather than by a style sheet, which would give its window a style sheet
// engine at start.
class GlyphButton : public QPushButton
{
    Q_OBJECT

public:
    // The colour of a glyph at rest that lights up under the pointer.
    static constexpr QColor mutedText{0xae, 0xb9, 0xca};

    GlyphButton(const QString &text, int pixelSize, QWidget *parent = nullptr);
    ~GlyphButton() override;

    // The × that hides a tool panel.
    static GlyphButton *createClose(QWidget *parent);

    void setColors(const QColor &resting, const QColor &hovered);
    // Room between the edges and the text; counted in the size hint.
    void setPadding(const QMargins &padding);

    QColor textColor() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_resting;
    QColor m_hovered;
    QMargins m_padding;
};
