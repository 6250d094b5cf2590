#pragma once

#include "base/DamagedFile.h"
#include "todo/TodoTask.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The user's to-do tasks in display order (newest first), kept in todo.json.
// Every change is written at once, atomically; a file that could not be fully
// understood is copied aside before the first save replaces it, and a save
// that fails leaves the previous file and is tried again by the next change.
class TodoModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        CompletedRole = Qt::UserRole + 1,
        IdRole,
        CreatedRole,
    };

    // An empty path means todo.json in the application's configuration folder.
    explicit TodoModel(const QString &path = QString(), QObject *parent = nullptr);
    ~TodoModel() override;

    static QString defaultPath();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    // A task's title is edited in place; an edit that empties it keeps the old one.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    QString path() const { return m_path; }
    QList<TodoTask> tasks() const { return m_tasks; }
    int activeCount() const;
    int completedCount() const;
    // The last save reached the disk (true before any save).
    bool isSaved() const { return m_saved; }
    // Where the copy of a file that could not be fully read was kept; empty when none.
    QString keptCopy() const { return m_file.keptCopy(); }

public Q_SLOTS:
    void addTask(const QString &title);
    void setCompleted(int row, bool completed);
    void toggleCompleted(int row);
    // Blank or unchanged titles change nothing.
    void setTitle(int row, const QString &title);
    void removeTask(int row);
    void clearCompleted();

Q_SIGNALS:
    // After every change, once it was saved (or the save failed).
    void countsChanged();
    // A save failed where the one before reached the disk, or the other way
    // round: until one succeeds again, the changes live only in memory.
    void savedChanged(bool saved);

private:
    void load();
    void save();
    void setSaved(bool saved);
    bool isValidRow(int row) const { return row >= 0 && row < m_tasks.size(); }

    QString m_path;
    QList<TodoTask> m_tasks;
    DamagedFile m_file;
    bool m_saved = true;
};
