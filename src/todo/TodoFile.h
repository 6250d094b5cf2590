#pragma once

#include "todo/TodoTask.h"

#include <QByteArray>
#include <QList>

// The format of todo.json: {"tasks": [{"completed", "created", "id", "title"}, ...]}
// with the most recently added task first.
namespace TodoFile {

struct Parsed
{
    QList<TodoTask> tasks;
    // Something in the content could not be carried into the list as it was
    // written (broken JSON, a skipped task, a bad date, an unknown member): the
    // next save would drop it, so the file deserves a copy before it is replaced.
    bool lostSomething = false;
};

// Reads tasks leniently: what cannot be understood is skipped or repaired
// (missing id: a new one; bad date: today; missing completion: not done).
// A title or date that reads well but is written otherwise than this program
// writes it is kept as written, for serialise() to write back.
Parsed parse(const QByteArray &content, QDate today);
QByteArray serialise(const QList<TodoTask> &tasks);

// A new task id: 36 characters, lower-case hexadecimal groups 8-4-4-4-12.
QString newId();
// A task the user just added (the title already trimmed), not done.
TodoTask newTask(const QString &title, QDate today);

} // namespace TodoFile
