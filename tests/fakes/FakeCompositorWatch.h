#pragma once

#include "shell/CompositorWatch.h"

// A compositing manager a test switches on and off.
class FakeCompositorWatch : public CompositorWatch
{
    Q_OBJECT

public:
    explicit FakeCompositorWatch(bool active = true, QObject *parent = nullptr)
        : CompositorWatch(parent)
        , m_active(active)
    {}

    bool isActive() const override { return m_active; }
    void setActive(bool active)
    {
        if (active == m_active)
            return;
        m_active = active;
        Q_EMIT changed(active);
    }

private:
    bool m_active;
};
