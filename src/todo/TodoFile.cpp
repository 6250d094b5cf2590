#include "TodoFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace TodoFile {

namespace {

constexpr QLatin1StringView tasksMember{"tasks"};
constexpr QLatin1StringView idMember{"id"};
constexpr QLatin1StringView titleMember{"title"};
constexpr QLatin1StringView completedMember{"completed"};
constexpr QLatin1StringView createdMember{"created"};

bool isBlank(const QByteArray &content)
{
    return content.trimmed().isEmpty();
}

// One stored task, or nothing when its title is missing or blank.
std::optional<TodoTask> parseTask(const QJsonValue &value, QDate today, bool &lost)
{
    if (!value.isObject()) {
        lost = true;
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QString key = it.key();
        if (key != idMember && key != titleMember && key != completedMember && key != createdMember)
            lost = true;
    }
    const QJsonValue title = object.value(titleMember);
    TodoTask task;
    const QString writtenTitle = title.toString();
    task.title = writtenTitle.trimmed();
    if (task.title != writtenTitle)
        task.storedTitle = writtenTitle;
    if (task.title.isEmpty()) {
        // A blank title holds nothing worth keeping; a title of another type does.
        lost = lost || !(title.isString() || title.isUndefined());
        return std::nullopt;
    }
    const QJsonValue id = object.value(idMember);
    task.id = id.toString();
    if (!id.isUndefined() && !id.isString())
        lost = true;
    if (task.id.isEmpty())
        task.id = newId();

    const QJsonValue created = object.value(createdMember);
    const QString writtenCreated = created.toString();
    task.created = QDate::fromString(writtenCreated, Qt::ISODate);
    if (!task.created.isValid()) {
        lost = lost || !created.isUndefined();
        task.created = today;
    } else if (writtenCreated != task.created.toString(Qt::ISODate)) {
        // The day is read from the start; what follows it (a time of day, say)
        // is the user's and goes back as it came.
        task.storedCreated = writtenCreated;
    }
    const QJsonValue completed = object.value(completedMember);
    if (!completed.isUndefined() && !completed.isBool())
        lost = true;
    task.completed = completed.toBool(false);
    return task;
}

} // namespace

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

TodoTask newTask(const QString &title, QDate today)
{
    TodoTask task;
    task.id = newId();
    task.title = title;
    task.created = today;
    return task;
}

Parsed parse(const QByteArray &content, QDate today)
{
    Parsed result;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        result.lostSomething = !isBlank(content);
        return result;
    }
    const QJsonObject root = document.object();
    const QJsonValue tasks = root.value(tasksMember);
    if (root.size() > 1 || (!tasks.isUndefined() && !tasks.isArray()))
        result.lostSomething = true;
    const QJsonArray array = tasks.toArray();
    result.tasks.reserve(array.size());
    for (const QJsonValue &value : array) {
        if (std::optional<TodoTask> task = parseTask(value, today, result.lostSomething))
            result.tasks.append(std::move(*task));
    }
    return result;
}

QByteArray serialise(const QList<TodoTask> &tasks)
{
    QJsonArray array;
    for (const TodoTask &task : tasks) {
        array.append(
            QJsonObject{{idMember, task.id},
                        {titleMember, task.storedTitle.isEmpty() ? task.title : task.storedTitle},
                        {completedMember, task.completed},
                        {createdMember, task.storedCreated.isEmpty() ? task.created.toString(Qt::ISODate)
                                                                     : task.storedCreated}});
    }
    return QJsonDocument(QJsonObject{{tasksMember, array}}).toJson(QJsonDocument::Indented);
}

} // namespace TodoFile
