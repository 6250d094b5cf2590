#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QStringList>

// Reading the layout file's JSON leniently: what does not fit is dropped and
// counted as lost, so that the caller keeps a copy of the file before saving.
namespace LayoutJson {

// The keys in their order, without empty ones and repeats.
QStringList withoutEmptyOrDuplicates(const QStringList &keys);

// A JSON number read as an integer; anything that is not a whole number within
// the int range reads as 0 and counts as lost.
int wholeNumber(const QJsonValue &value, bool &lost);

// A root member that must be of one JSON type; a wrong type counts as lost.
QJsonValue member(const QJsonObject &root, QLatin1StringView name, QJsonValue::Type type, bool &lost);

} // namespace LayoutJson
