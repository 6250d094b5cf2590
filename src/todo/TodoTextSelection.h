#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QListView;
class QMouseEvent;
class QTextEdit;
class TodoDelegate;

// Lets the user select and copy a task's text: a read-only text box laid over
// the title of the pressed row, which the press itself starts selecting in. The
// delegate leaves that title undrawn while the box covers it. Mouse events on
// the list go on to the box while it shows, so a drag keeps selecting even
// outside it.
class TodoTextSelection : public QObject
{
    Q_OBJECT

public:
    // The dynamic property of the list naming the task (its id) being selected in.
    static constexpr char selectingProperty[] = "selectingTask";

    TodoTextSelection(QListView *list, TodoDelegate *delegate);
    ~TodoTextSelection() override;

    // Made when first needed: a text editor is code and memory (a third of a
    // megabyte at start) that most sessions never use.
    QTextEdit *textBox();
    bool isActive() const;

    // Starts selecting in the title of the row at the press; false when the
    // press is not on the title.
    bool begin(const QModelIndex &index, QMouseEvent *press);
    // Gives a mouse event on the list's viewport to the box while it shows;
    // true when it was taken.
    bool forward(QMouseEvent *event);

public Q_SLOTS:
    void end();

Q_SIGNALS:
    // A right-click in the box asks for the row's one menu, not a text box's own.
    void menuRequested(QPoint viewportPosition);
    // A double-click in the box asks to edit the task's title.
    void editRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *m_list;
    TodoDelegate *m_delegate;
    QTextEdit *m_text = nullptr;
};
