#pragma once

#include "shell/DesktopIconSwitch.h"

#include <memory>
#include <utility>

// A desktop icon switch whose state a test sets and reads. The controller owns
// its switch, so tests keep the shared state object.
class FakeIconSwitch final : public DesktopIconSwitch
{
public:
    struct State
    {
        bool reachable = true;
        bool hidden = false;
        bool toggleWorks = true; // false: reachable for reading only
        bool directWorks = true;
        bool later = false; // a toggle tells its outcome only when finished
        int toggles = 0;
        int directWrites = 0;
    };

    explicit FakeIconSwitch(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {}

    bool iconsHiddenNow() override { return m_state->reachable && m_state->hidden; }
    bool toggle() override
    {
        if (!m_state->reachable || !m_state->toggleWorks)
            return false;
        ++m_state->toggles;
        m_state->hidden = !m_state->hidden;
        return true;
    }
    void toggleLater(Done done) override
    {
        if (!m_state->later)
            return done(toggle());
        m_pending = std::move(done);
    }
    void finish(QDeadlineTimer) override
    {
        if (m_pending)
            std::exchange(m_pending, {})(toggle());
    }
    bool showDirectly() override
    {
        ++m_state->directWrites;
        if (!m_state->directWorks)
            return false;
        m_state->hidden = false;
        return true;
    }

    bool found() override { return m_state->reachable; }

private:
    std::shared_ptr<State> m_state;
    Done m_pending;
};
