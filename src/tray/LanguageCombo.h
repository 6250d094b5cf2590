#pragma once

#include <QComboBox>

// The language list: a combo box that draws its own chevron, on the side the
// layout direction puts it.
class LanguageCombo : public QComboBox
{
    Q_OBJECT

public:
    // The chevron's centre from the trailing edge.
    static constexpr int chevronInset = 14;

    explicit LanguageCombo(QWidget *parent = nullptr);

    // The chevron's centre in widget coordinates.
    QPointF chevronCentre() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
