#pragma once

#include <QByteArray>
#include <QString>

// Reading files the user (or anyone who can write to the desktop) controls.
// A FIFO, socket or device never blocks the caller: the file is opened
// non-blocking and checked to be a regular file before a byte is read, and
// nothing larger than the caller's cap is read at all.
namespace SafeFile {

enum class Status
{
    Ok,
    Missing,    // no such file (or a dangling link)
    NotRegular, // a folder, FIFO, socket or device
    TooLarge,   // bigger than the cap
    Unreadable, // exists but cannot be opened or read (permissions, I/O error)
};

struct Result
{
    Status status = Status::Missing;
    QByteArray data;

    bool ok() const { return status == Status::Ok; }
};

// Caps for the kinds of file the program reads; everything it reads is small.
inline constexpr qint64 textCap = 4 * 1024 * 1024;
inline constexpr qint64 imageCap = 50 * 1024 * 1024;

// The whole content of a regular file of at most maxBytes bytes. Symbolic links
// are followed, as every program does for a desktop entry.
Result read(const QString &path, qint64 maxBytes);
// Same for a path given as bytes (names that are not valid UTF-8).
Result read(const QByteArray &path, qint64 maxBytes);

// A regular file (after following links), asked without opening it.
bool isRegularFile(const QString &path);

} // namespace SafeFile
