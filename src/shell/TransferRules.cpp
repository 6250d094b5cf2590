#include "shell/TransferRules.h"

#include "base/l10n/L10nText.h"

#include <algorithm>

namespace TransferRules {

namespace {

const char intoItselfText[] = QT_TRANSLATE_NOOP("Brimvale", "A folder cannot go into itself");

// Archive suffixes made of two, which a "(2)" must not split.
const QStringList compoundSuffixes{QStringLiteral(".tar.gz"),  QStringLiteral(".tar.bz2"),
                                   QStringLiteral(".tar.xz"),  QStringLiteral(".tar.zst"),
                                   QStringLiteral(".tar.lz"),  QStringLiteral(".tar.lzma"),
                                   QStringLiteral(".tar.lz4"), QStringLiteral(".tar.Z")};

// Where the suffix starts in name, or its length when it has none.
qsizetype suffixStart(const QString &name, bool isFolder)
{
    if (isFolder)
        return name.size();
    for (const QString &compound : compoundSuffixes) {
        if (name.size() > compound.size() && name.endsWith(compound, Qt::CaseInsensitive))
            return name.size() - compound.size();
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot makes a hidden name, not a suffix.
    return dot > 0 ? dot : name.size();
}

} // namespace

FileTransfer::Mode modeFor(Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ControlModifier))
        return FileTransfer::Mode::Copy;
    if (modifiers.testFlag(Qt::ShiftModifier))
        return FileTransfer::Mode::Move;
    return FileTransfer::Mode::Automatic;
}

FileTransfer::Mode effectiveMode(FileTransfer::Mode mode, bool sameFileSystem)
{
    if (mode != FileTransfer::Mode::Automatic)
        return mode;
    return sameFileSystem ? FileTransfer::Mode::Move : FileTransfer::Mode::Copy;
}

Outcome outcomeFor(const QString &source, const QString &targetFolder, FileTransfer::Mode mode)
{
    const QString folder = targetFolder.endsWith(QLatin1Char('/')) ? targetFolder.chopped(1) : targetFolder;
    if (folder == source || folder.startsWith(source + QLatin1Char('/')))
        return Outcome::IntoItself;
    const qsizetype slash = source.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash > 0 ? source.left(slash) : QString();
    if (mode == FileTransfer::Mode::Move && parent == folder)
        return Outcome::AlreadyThere;
    return Outcome::Transfer;
}

QString freeName(const QString &name, bool isFolder, const std::function<bool(const QString &)> &isTaken)
{
    if (!isTaken(name))
        return name;
    const qsizetype split = suffixStart(name, isFolder);
    QString stem = name.left(split);
    const QString suffix = name.mid(split);
    int number = 2;
    // A stem that already ends in " (n)", n of one to nine digits, counts on from n.
    if (stem.endsWith(QLatin1Char(')'))) {
        const qsizetype open = stem.lastIndexOf(QLatin1String(" ("));
        const QStringView digits = QStringView(stem).sliced(open + 2, stem.size() - open - 3);
        const bool counted = open > 0 && !digits.isEmpty() && digits.size() <= 9 &&
                             std::all_of(digits.begin(), digits.end(), [](QChar c) {
                                 return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                             });
        if (counted) {
            number = digits.toInt() + 1;
            stem.truncate(open);
        }
    }
    for (;; ++number) {
        const QString candidate = stem + QStringLiteral(" (%1)").arg(number) + suffix;
        if (!isTaken(candidate))
            return candidate;
    }
}

QString failure(const QString &name, const QString &why)
{
    return QStringLiteral("%1: %2").arg(name, why);
}

QString intoItselfReason()
{
    return L10n::text(intoItselfText);
}

} // namespace TransferRules
