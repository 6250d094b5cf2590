#include "base/FileNotice.h"

#include <QDebug>
#include <QDir>
#include <QSet>

namespace FileNotice {

namespace {

void sayOnce(const QString &text)
{
    static QSet<QString> said;
    if (said.contains(text))
        return;
    said.insert(text);
    qWarning().noquote() << text;
}

} // namespace

void copyKept(const QString &path, const QString &copy, const QString &why)
{
    sayOnce(QStringLiteral("%1 %2; it was kept as %3")
                .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(copy)));
}

void ignored(const QString &path, const QString &why)
{
    sayOnce(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why));
}

} // namespace FileNotice
