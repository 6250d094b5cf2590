#pragma once

#include <QObject>

// Whether a compositing manager runs, followed live: without one, transparent
// pixels show black, so translucent windows must paint themselves solid.
class CompositorWatch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~CompositorWatch() override = default;

    virtual bool isActive() const = 0;

Q_SIGNALS:
    // A compositing manager appeared (true) or went away (false).
    void changed(bool active);
};
