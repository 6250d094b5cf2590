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
    // The title and the date as todo.json held them when that is not how they
    // would be written now (spaces around the title, a time of day or other
    // punctuation with the date): written back as they were read, so a save
    // changes nothing the user did not change. Empty when there is no difference.
    QString storedTitle;
    QString storedCreated;

    bool operator==(const TodoTask &) const = default;
};
