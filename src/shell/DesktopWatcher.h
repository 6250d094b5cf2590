#pragma once

#include <QObject>

// Reports that the desktop's content may have changed (an item created, removed
// or renamed, or the list of hidden items edited). Says nothing about what
// changed: the model answers every report with a debounced full reload.
class DesktopWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~DesktopWatcher() override = default;

Q_SIGNALS:
    void changed();
};
