#include "TodoModel.h"

#include "base/AppIdentity.h"
#include "base/AtomicSave.h"
#include "base/DamagedFile.h"
#include "base/SafeFile.h"
#include "todo/TodoFile.h"

#include <QDebug>
#include <QDir>

TodoModel::TodoModel(const QString &path, QObject *parent)
    : QAbstractListModel(parent)
    , m_path(path.isEmpty() ? defaultPath() : path)
{
    load();
}

TodoModel::~TodoModel() = default;

QString TodoModel::defaultPath()
{
    return AppIdentity::todoFile();
}

int TodoModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_tasks.size());
}

QVariant TodoModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.parent().isValid() || !isValidRow(index.row()) || index.column() != 0)
        return {};
    const TodoTask &task = m_tasks.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return task.title;
    case Qt::CheckStateRole:
        return int(task.completed ? Qt::Checked : Qt::Unchecked);
    case CompletedRole:
        return task.completed;
    case IdRole:
        return task.id;
    case CreatedRole:
        return task.created;
    default:
        return {};
    }
}

QHash<int, QByteArray> TodoModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(CompletedRole, "completed");
    names.insert(IdRole, "id");
    names.insert(CreatedRole, "created");
    return names;
}

int TodoModel::activeCount() const
{
    return int(
        std::count_if(m_tasks.cbegin(), m_tasks.cend(), [](const TodoTask &t) { return !t.completed; }));
}

int TodoModel::completedCount() const
{
    return int(m_tasks.size()) - activeCount();
}

void TodoModel::load()
{
    AtomicSave::removeStaleTemporaries(m_path);
    m_file = DamagedFile(m_path, QStringLiteral("to-do"));
    const SafeFile::Result file = SafeFile::read(m_path, SafeFile::textCap);
    if (!file.ok()) {
        m_file.read(file.status);
        return;
    }
    TodoFile::Parsed parsed = TodoFile::parse(file.data, QDate::currentDate());
    m_tasks = std::move(parsed.tasks);
    m_file.read(file.status, !parsed.lostSomething);
}

void TodoModel::setSaved(bool saved)
{
    if (saved == m_saved)
        return;
    m_saved = saved;
    Q_EMIT savedChanged(saved);
}

void TodoModel::save()
{
    if (!m_file.mayReplace()) {
        setSaved(false);
        return;
    }
    // Through a link only to a to-do list: a list with something lost still is one.
    const QString target = AtomicSave::saveTarget(m_path, SafeFile::textCap, [](const QByteArray &content) {
        const TodoFile::Parsed parsed = TodoFile::parse(content, QDate::currentDate());
        return !parsed.lostSomething || !parsed.tasks.isEmpty();
    });
    if (target.isEmpty()) {
        setSaved(false);
        return;
    }
    const AtomicSave::Result result = AtomicSave::save(target, TodoFile::serialise(m_tasks));
    setSaved(result.ok);
    if (!result)
        qWarning().noquote() << QStringLiteral("Cannot save the to-do list: %1").arg(result.error);
}

void TodoModel::addTask(const QString &title)
{
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty())
        return;
    beginInsertRows(QModelIndex(), 0, 0);
    m_tasks.prepend(TodoFile::newTask(trimmed, QDate::currentDate()));
    endInsertRows();
    save();
    Q_EMIT countsChanged();
}

void TodoModel::setCompleted(int row, bool completed)
{
    if (!isValidRow(row) || m_tasks.at(row).completed == completed)
        return;
    m_tasks[row].completed = completed;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::CheckStateRole, CompletedRole});
    save();
    Q_EMIT countsChanged();
}

Qt::ItemFlags TodoModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsEditable : base;
}

bool TodoModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.parent().isValid())
        return false;
    setTitle(index.row(), value.toString());
    return true;
}

void TodoModel::setTitle(int row, const QString &title)
{
    // The same rule as for a new task: surrounding blanks go, nothing left means no change.
    const QString trimmed = title.trimmed();
    if (!isValidRow(row) || trimmed.isEmpty() || trimmed == m_tasks.at(row).title)
        return;
    m_tasks[row].title = trimmed;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    save();
    Q_EMIT countsChanged();
}

void TodoModel::toggleCompleted(int row)
{
    if (isValidRow(row))
        setCompleted(row, !m_tasks.at(row).completed);
}

void TodoModel::removeTask(int row)
{
    if (!isValidRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_tasks.removeAt(row);
    endRemoveRows();
    save();
    Q_EMIT countsChanged();
}

void TodoModel::clearCompleted()
{
    if (completedCount() == 0)
        return;
    beginResetModel();
    m_tasks.removeIf([](const TodoTask &t) { return t.completed; });
    endResetModel();
    save();
    Q_EMIT countsChanged();
}
