#pragma once

#include <QValidator>

// Lets an amount field take only what may become an amount: a character that
// can never belong to one is refused; an incomplete expression (12*, (3, an
// empty field, 5/0 on the way to 5/0.5) and a separator out of place (1,5 in
// English) stay typeable, so that nothing typed turns into another number.
class AmountValidator : public QValidator
{
    Q_OBJECT

public:
    explicit AmountValidator(QObject *parent = nullptr);
    ~AmountValidator() override;

    State validate(QString &input, int &pos) const override;
};
