#include "AmountValidator.h"

#include "currency/AmountParser.h"

AmountValidator::AmountValidator(QObject *parent)
    : QValidator(parent)
{}

AmountValidator::~AmountValidator() = default;

QValidator::State AmountValidator::validate(QString &input, int &) const
{
    const AmountParser::Normalised normalised = AmountParser::normalise(input, locale());
    if (!normalised.ok)
        return Invalid;
    return AmountParser::evaluate(normalised).ok ? Acceptable : Intermediate;
}
