#pragma once

#include <QObject>
#include <QStringList>

// Moves or copies files into a folder as a file manager does: never over an
// existing name (a clash takes the "name (2)" form), a move across file
// systems is a copy followed by a removal, and a file that fails or is
// cancelled is left whole where it was. Works off the GUI thread; one transfer
// per object, which reports once and may then be deleted.
class FileTransfer : public QObject
{
    Q_OBJECT

public:
    // Automatic moves within one file system and copies across.
    enum class Mode
    {
        Automatic,
        Move,
        Copy
    };

    using QObject::QObject;
    ~FileTransfer() override = default;

    // Starts moving or copying sources (absolute paths) into targetFolder and
    // returns at once.
    virtual void start(const QStringList &sources, const QString &targetFolder, Mode mode) = 0;

    // Stops after undoing the file in progress; files already done stay done.
    virtual void cancel() = 0;

Q_SIGNALS:
    // Once with nothing done when the sizes are known, then a few times a
    // second at most; doneFiles counts the sources finished.
    void progressed(qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles);
    // targets[i] is the path sources[i] now has, empty where it failed, was
    // cancelled or was not reached; a move into the folder the source is in
    // already keeps its path. failures holds one readable reason per failed
    // file, "name: reason". A move whose copy is whole but whose original could
    // not all be removed has both its target and a failure.
    void finished(const QStringList &targets, const QStringList &failures, bool cancelled);
};
