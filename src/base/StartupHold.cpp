#include "base/StartupHold.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <utility>

namespace {

struct Waiting
{
    QPointer<const QObject> context;
    bool tied = false;
    std::function<void()> work;
};

struct State
{
    int holds = 0;
    QList<Waiting> waiting;
};

State &state()
{
    static State s;
    return s;
}

} // namespace

StartupHold::StartupHold()
{
    ++state().holds;
}

StartupHold::~StartupHold()
{
    State &s = state();
    if (--s.holds > 0)
        return;
    // Work may hand over more work, or hold again; what it adds is its own.
    const QList<Waiting> due = std::exchange(s.waiting, {});
    for (const Waiting &w : due) {
        if (!w.tied || w.context)
            w.work();
    }
}

bool StartupHold::isHeld()
{
    return state().holds > 0;
}

void StartupHold::whenReleased(const QObject *context, std::function<void()> work)
{
    State &s = state();
    if (s.holds == 0) {
        work();
        return;
    }
    s.waiting.append({context, context != nullptr, std::move(work)});
}
