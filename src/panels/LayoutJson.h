#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QPoint>
#include <QStringList>

#include <optional>

// Reading the layout file's JSON leniently: what does not fit is dropped and
// counted as lost, so that the caller keeps a copy of the file before saving.
namespace LayoutJson {

// The keys in their order, without empty ones and repeats.
QStringList withoutEmptyOrDuplicates(const QStringList &keys);

// A JSON number read as an integer; anything that is not a whole number within
// the int range reads as 0 and counts as lost.
int wholeNumber(const QJsonValue &value, bool &lost);

// The item orders by their keys: lists of item keys without empty ones and
// repeats; anything else counts as lost.
QHash<QString, QStringList> itemOrders(const QJsonObject &orders, bool &lost);

// Loose items' positions by their keys: pairs of whole numbers; anything else counts as lost.
QHash<QString, QPoint> positions(const QJsonObject &positions, bool &lost);

// Panel ids by item keys; an id that is not text counts as lost.
QHash<QString, QString> assignments(const QJsonObject &assignments, bool &lost);

// A root member that must be of one JSON type; a wrong type counts as lost.
QJsonValue member(const QJsonObject &root, QLatin1StringView name, QJsonValue::Type type, bool &lost);

// A folder panel's folder, taken out of its entry: "path" as readable text and,
// for a path whose bytes are not valid text, "pathBytes" with those bytes in
// base64. Nothing (and lost) unless it names an absolute path of sane length
// without NUL bytes.
std::optional<QByteArray> takeFolderPath(QJsonObject &entry, bool &lost);
void putFolderPath(QJsonObject &entry, const QByteArray &folder);

} // namespace LayoutJson
