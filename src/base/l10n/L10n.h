#pragma once

#include "base/l10n/L10nText.h"

#include <QStringList>

#include <functional>

class QObject;

// The user interface language: which one, its translators, and keeping texts
// current when it changes while the program runs.
namespace L10n {

// The supported language codes, in the order the settings window lists them
// (the build defines them, with the catalogues).
QStringList languages();

// The supported code for a list of locale tags ("de-AT", "zh_Hant_TW"); "en" when none matches.
QString resolveLanguage(const QStringList &candidates);

// The effective language: the stored choice, or the system's languages for "system".
QString currentLanguage();

// (Re)installs Qt's and the program's translators for the current choice.
void install();

// Runs callback after every language change while guard exists.
void onLanguageChanged(QObject *guard, std::function<void()> callback);
void notifyLanguageChanged();

// Makes a property (e.g. "text", "toolTip") show the translation of sourceText,
// now and after every language change.
void bind(QObject *object, const char *property, const char *sourceText);

// Sets the application's layout direction from the current language and keeps
// it following language changes (right to left for Arabic).
void followLayoutDirection();

// Stores the choice ("system" or a code), installs it and refreshes every text.
void changeLanguage(const QString &choice);

} // namespace L10n
