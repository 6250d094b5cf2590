#pragma once

#include <QDate>
#include <QString>

// One task of the to-do list.
struct TodoTask
{
    QString id;    // a UUID without braces; never changes once made
    QString title; // trimmed, never empty
    bool completed = false;
    QDate created; // the local day the task was added; always valid

    bool operator==(const TodoTask &) const = default;
};
