#pragma once

#include <QString>

// What keeps a second organiser from starting in the same session: a lock the
// running instance holds for its whole life, which the system drops however
// the process ends, and the name of the local channel on which the holder
// listens for a later start asking it to show itself.
class InstanceLock
{
public:
    enum class Outcome
    {
        Taken,         // this process holds it now
        HeldElsewhere, // another instance runs
        Unavailable    // it cannot be taken at all; the program runs without it
    };

    virtual ~InstanceLock() = default;

    virtual Outcome take() = 0;
    // For QLocalServer and QLocalSocket; empty when there is nowhere to listen.
    virtual QString channelName() const = 0;
};
