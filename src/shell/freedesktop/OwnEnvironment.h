#pragma once

#include <QByteArray>
#include <QList>

// Variables the program sets in its own environment to tune itself (the Qt
// platform, Qt's pattern compiler), with the values the user had. Programs the
// user opens from the desktop get the user's values back: they are the user's
// programs, not ours, and must not run as this one chose to.
namespace OwnEnvironment {

struct UserValue
{
    QByteArray name;
    bool wasSet = false;
    QByteArray value;
};

// Sets the variable for this process, remembering the user's value the first time.
void set(const char *name, const QByteArray &value);

// The user's values of every variable set through set(), in the order they were first set.
QList<UserValue> userValues();

} // namespace OwnEnvironment
