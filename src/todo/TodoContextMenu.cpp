#include "TodoContextMenu.h"

#include "base/l10n/L10n.h"
#include "frame/PanelFrame.h"
#include "look/AppStyle.h"
#include "todo/TodoFilter.h"
#include "todo/TodoModel.h"
#include "todo/TodoPanel.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QTextEdit>

std::unique_ptr<QMenu> TodoContextMenu::create(TodoPanel *panel, QPoint viewportPosition)
{
    auto menu = std::make_unique<QMenu>(panel);
    menu->setStyleSheet(AppStyle::menuStyleSheet());
    QMenu *m = menu.get();

    // Text selected in a task's title is copied from the row's one menu.
    const auto *text = panel->list()->viewport()->findChild<QTextEdit *>(QStringLiteral("todoTaskText"),
                                                                         Qt::FindDirectChildrenOnly);
    if (text && text->isVisible() && text->textCursor().hasSelection()) {
        QAction *copy = m->addAction(QString());
        L10n::bind(copy, "text", "Copy");
        QObject::connect(copy, &QAction::triggered, text, &QTextEdit::copy);
        m->addSeparator();
    }

    if (QAction *onTop = panel->findChild<QAction *>(QLatin1String(PanelFrame::alwaysOnTopActionName))) {
        m->addAction(onTop);
        m->addSeparator();
    }

    TodoModel *model = panel->model();
    const QModelIndex clicked = panel->list()->indexAt(viewportPosition);
    bool rowEntries = false;
    if (clicked.isValid()) {
        const QPersistentModelIndex task(panel->filter()->mapToSource(clicked));
        const bool completed = task.data(TodoModel::CompletedRole).toBool();
        QAction *toggle = m->addAction(completed ? L10n::text("Mark active") : L10n::text("Mark complete"));
        QObject::connect(toggle, &QAction::triggered, model, [model, task] {
            if (task.isValid())
                model->toggleCompleted(task.row());
        });
        QAction *remove = m->addAction(QString());
        L10n::bind(remove, "text", "Delete task");
        QObject::connect(remove, &QAction::triggered, model, [model, task] {
            if (task.isValid())
                model->removeTask(task.row());
        });
        rowEntries = true;
    }
    if (model->completedCount() > 0) {
        if (rowEntries)
            m->addSeparator();
        QAction *hide = m->addAction(panel->hidesCompleted() ? L10n::text("Show completed")
                                                             : L10n::text("Hide completed"));
        QObject::connect(hide, &QAction::triggered, panel, &TodoPanel::toggleHideCompleted);
    }
    if (m->actions().isEmpty())
        return nullptr;
    return menu;
}
