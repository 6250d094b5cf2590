#include "base/FileNotice.h"

#include <QDebug>
#include <QDir>
#include <QSet>

namespace FileNotice {

namespace {

// what: the file and what became of it; a second reason for the same is not news.
void sayOnce(const QString &what, const QString &text)
{
    static QSet<QString> said;
    if (said.contains(what))
        return;
    said.insert(what);
    qWarning().noquote() << text;
}

} // namespace

void copyKept(const QString &path, const QString &copy, const QString &why)
{
    sayOnce(path + QLatin1Char('\n') + copy,
            QStringLiteral("%1 %2; it was kept as %3")
                .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(copy)));
}

void ignored(const QString &path, const QString &why)
{
    const QString text = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
    sayOnce(text, text);
}

} // namespace FileNotice
