#pragma once

#include <QObject>

// Tells the program that the session or the user wants it gone (logout, a
// terminate request, Ctrl+C), so it can leave through its orderly exit.
class SessionEndWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SessionEndWatcher() override = default;

Q_SIGNALS:
    void endRequested();
};
