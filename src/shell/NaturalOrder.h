#pragma once

#include <QCollator>

// Collator for the natural order of names: digit runs by value, case ignored,
// in the default locale. Qt compares plainly in the "C" locale, ignoring numeric
// mode, so that locale falls back to English ordering.
inline QCollator naturalCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}
