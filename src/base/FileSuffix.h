#pragma once

#include <QString>
#include <QStringView>

// Lower-case suffix of a file name as QFileInfo::suffix() sees it (after the last
// dot of the last path component), without building a QFileInfo.
inline QString fileSuffix(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = slash < 0 ? path : path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    return name.mid(dot + 1).toString().toLower();
}
