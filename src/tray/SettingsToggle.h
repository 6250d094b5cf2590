#pragma once

#include <QCheckBox>

// The settings window's on/off switch: a rounded track with a knob, clickable
// over its whole area, changing at once.
class SettingsToggle : public QCheckBox
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{40, 24};

    explicit SettingsToggle(QWidget *parent = nullptr);

protected:
    bool hitButton(const QPoint &pos) const override;
    void paintEvent(QPaintEvent *event) override;
};
