#pragma once

#include <QWidget>

// The small banknote drawn before the currency panel's title.
class CurrencyHeaderIcon : public QWidget
{
    Q_OBJECT

public:
    explicit CurrencyHeaderIcon(QWidget *parent = nullptr);
    ~CurrencyHeaderIcon() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
