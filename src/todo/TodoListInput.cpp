#include "TodoListInput.h"

#include "todo/TodoFilter.h"
#include "todo/TodoMetrics.h"
#include "todo/TodoModel.h"
#include "todo/TodoTextSelection.h"

#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>

TodoListInput::TodoListInput(QListView *list, TodoFilter *filter, TodoModel *model,
                             TodoTextSelection *selection)
    : QObject(list)
    , m_list(list)
    , m_viewport(list->viewport())
    , m_filter(filter)
    , m_model(model)
    , m_selection(selection)
{
    m_list->installEventFilter(this);
    m_viewport->installEventFilter(this);
    // The second click of a double-click lands in the text box the first one laid over the title.
    connect(m_selection, &TodoTextSelection::editRequested, this, &TodoListInput::editCurrent);
}

TodoListInput::~TodoListInput() = default;

int TodoListInput::currentSourceRow() const
{
    const QModelIndex current = m_filter->mapToSource(m_list->currentIndex());
    return current.isValid() ? current.row() : -1;
}

bool TodoListInput::viewportPressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    m_selection->end();
    const QModelIndex index = m_list->indexAt(event->position().toPoint());
    if (!index.isValid())
        return false;
    m_list->setCurrentIndex(index);
    const QRect row = m_list->visualRect(index);
    if (TodoMetrics::checkHitBox(row, m_list->layoutDirection()).contains(event->position().toPoint())) {
        m_model->toggleCompleted(m_filter->mapToSource(index).row());
        return true;
    }
    m_selection->begin(index, event);
    return true;
}

bool TodoListInput::viewportDoubleClicked(QMouseEvent *event)
{
    const QModelIndex index = m_list->indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid() ||
        !TodoMetrics::selectableTextBox(m_list->visualRect(index), m_list->layoutDirection())
             .contains(event->position().toPoint()))
        return m_selection->forward(event);
    m_list->setCurrentIndex(index);
    editCurrent();
    return true;
}

void TodoListInput::editCurrent()
{
    m_selection->end();
    m_list->edit(m_list->currentIndex());
}

bool TodoListInput::keyPressed(int key)
{
    // Rows that vanished meanwhile come as -1, which the model ignores.
    if (key == Qt::Key_Space) {
        m_model->toggleCompleted(currentSourceRow());
        return true;
    }
    if (key == Qt::Key_Delete) {
        m_model->removeTask(currentSourceRow());
        return true;
    }
    return false;
}

bool TodoListInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list) {
        if (event->type() == QEvent::KeyPress)
            return keyPressed(static_cast<QKeyEvent *>(event)->key());
        return false;
    }
    if (watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return viewportPressed(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonDblClick:
        return viewportDoubleClicked(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return m_selection->forward(static_cast<QMouseEvent *>(event));
    default:
        return false;
    }
}
