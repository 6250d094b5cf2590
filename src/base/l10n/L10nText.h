#pragma once

#include <QCoreApplication>
#include <QString>

namespace L10n {

// Every program text is translated in this one context.
inline constexpr char translationContext[] = "Brimvale";

// The translation of an English source text (UTF-8) in the current language.
inline QString text(const char *sourceText)
{
    return QCoreApplication::translate(translationContext, sourceText);
}

} // namespace L10n
