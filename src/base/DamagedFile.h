#pragma once

#include "base/SafeFile.h"

#include <QString>

// What the program does with a file of its own it reads and later replaces
// with a save: one it cannot fully read or understand is copied aside once
// before a save replaces it (while no copy can be made, nothing replaces it,
// and each save tries again); one it cannot read at all (a folder, a FIFO, a
// file it may not open) is never replaced while it stands there. Either is
// said once on standard error.
class DamagedFile
{
public:
    DamagedFile() = default;
    // what names the file's kind in notices ("to-do", "panel layout").
    DamagedFile(QString path, QString what);

    // How reading the file went: SafeFile's status, and for a file that was
    // read, whether all of it was understood. A damaged file is copied now,
    // while it is as it was read.
    void read(SafeFile::Status status, bool understood = true);
    // Whether a save may replace the file now; keeps the copy first when one
    // is still owed.
    bool mayReplace();
    // The copy kept of the file, or an empty string.
    QString keptCopy() const { return m_keptCopy; }

private:
    QString m_path;
    QString m_what;
    bool m_copyOwed = false;
    bool m_keep = false;
    QString m_keptCopy;
};
