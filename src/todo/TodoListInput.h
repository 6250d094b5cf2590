#pragma once

#include <QObject>

class QListView;
class QMouseEvent;
class TodoFilter;
class TodoModel;
class TodoTextSelection;

// The mouse and keys on the task list: a press on a row's check mark ticks it,
// a press on its title starts selecting text, Space ticks and Delete removes
// the current task; a double-click on a title edits it.
class TodoListInput : public QObject
{
    Q_OBJECT

public:
    TodoListInput(QListView *list, TodoFilter *filter, TodoModel *model, TodoTextSelection *selection);
    ~TodoListInput() override;

    // The model row of the list's current task, -1 without one.
    int currentSourceRow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool viewportPressed(QMouseEvent *event);
    bool keyPressed(int key);
    bool viewportDoubleClicked(QMouseEvent *event);
    void editCurrent();

    QListView *m_list;
    // Kept apart: while the list is destroyed its viewport can no longer be asked for.
    QWidget *m_viewport;
    TodoFilter *m_filter;
    TodoModel *m_model;
    TodoTextSelection *m_selection;
};
