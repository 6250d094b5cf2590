#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// pcmanfm-qt's own settings file, "<config>/pcmanfm-qt/<profile>/settings.conf":
// its desktop hides its items when "HideItems" of the "[Desktop]" group is true.
// The file is the user's, so an edit changes that one line and keeps every other
// byte (other groups and keys, comments, line ends) exactly as it was.
namespace PcmanfmSettings {

// The value of HideItems in [Desktop], as written; nullopt when it is absent.
std::optional<QByteArray> hideItems(const QByteArray &file);

// Whether a value hides the items, as pcmanfm-qt reads it.
bool hides(const std::optional<QByteArray> &value);

// The file with HideItems in [Desktop] set to value, or removed for nullopt; a
// missing group is added at the end.
QByteArray withHideItems(const QByteArray &file, const std::optional<QByteArray> &value);

// The settings file a pcmanfm-qt started with these arguments and this
// environment reads: the profile of "--profile"/"-p" ("default" without one)
// under its configuration folder, which pcmanfm-qt takes from HOME for root.
QString filePath(const QStringList &arguments, const QHash<QString, QString> &environment, bool root);

} // namespace PcmanfmSettings
