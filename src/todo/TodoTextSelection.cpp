#include "TodoTextSelection.h"

#include "base/l10n/L10n.h"
#include "todo/TodoDelegate.h"
#include "todo/TodoMetrics.h"
#include "todo/TodoModel.h"
#include "todo/TodoStyle.h"

#include <QApplication>
#include <QFocusEvent>
#include <QListView>
#include <QMouseEvent>
#include <QTextEdit>

TodoTextSelection::TodoTextSelection(QListView *list, TodoDelegate *delegate)
    : QObject(list)
    , m_list(list)
    , m_delegate(delegate)
{
    m_list->setProperty(selectingProperty, QString());
}

TodoTextSelection::~TodoTextSelection() = default;

QTextEdit *TodoTextSelection::textBox()
{
    if (m_text)
        return m_text;
    m_text = new QTextEdit(m_list->viewport());
    m_text->setObjectName(QStringLiteral("todoTaskText"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->document()->setDocumentMargin(0);
    TodoStyle::styleTaskText(m_text);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_text, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { Q_EMIT menuRequested(m_text->viewport()->mapTo(m_list->viewport(), at)); });
    m_text->hide();
    m_text->installEventFilter(this);
    m_text->viewport()->installEventFilter(this);
    L10n::bind(m_text, "accessibleName", "Task text");
    return m_text;
}

bool TodoTextSelection::isActive() const
{
    return m_text && m_text->isVisible();
}

bool TodoTextSelection::begin(const QModelIndex &index, QMouseEvent *press)
{
    const QRect row = m_list->visualRect(index);
    const QRect box = TodoMetrics::selectableTextBox(row, m_list->layoutDirection());
    const QPoint at = press->position().toPoint();
    if (!index.isValid() || !box.contains(at))
        return false;
    const bool completed = index.data(TodoModel::CompletedRole).toBool();
    textBox();
    m_text->setFont(TodoMetrics::titleFont(completed));
    m_text->setPlainText(index.data(Qt::DisplayRole).toString());
    m_text->document()->setDefaultTextOption([this] {
        QTextOption option = m_text->document()->defaultTextOption();
        option.setTextDirection(m_list->layoutDirection());
        return option;
    }());
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Text, completed ? TodoStyle::completedText : TodoStyle::activeText);
    m_text->setPalette(palette);
    m_text->setGeometry(box);
    m_delegate->setCoveredRow(index);
    m_list->setProperty(selectingProperty, index.data(TodoModel::IdRole).toString());
    m_text->show();
    m_text->setFocus(Qt::MouseFocusReason);

    QWidget *target = m_text->viewport();
    QMouseEvent mapped(press->type(), target->mapFrom(m_list->viewport(), at), press->globalPosition(),
                       press->button(), press->buttons(), press->modifiers());
    QApplication::sendEvent(target, &mapped);
    m_list->viewport()->update();
    return true;
}

bool TodoTextSelection::forward(QMouseEvent *event)
{
    if (!isActive())
        return false;
    QWidget *target = m_text->viewport();
    QMouseEvent mapped(event->type(), target->mapFromGlobal(event->globalPosition()), event->globalPosition(),
                       event->button(), event->buttons(), event->modifiers());
    QApplication::sendEvent(target, &mapped);
    return true;
}

void TodoTextSelection::end()
{
    const bool wasActive = isActive() || m_delegate->coveredRow().isValid();
    if (m_text)
        m_text->hide();
    m_delegate->setCoveredRow(QModelIndex());
    m_list->setProperty(selectingProperty, QString());
    if (wasActive)
        m_list->viewport()->update();
}

bool TodoTextSelection::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: the text box is watched while it is being destroyed, when
    // asking it for its viewport is no longer safe.
    if (event->type() == QEvent::MouseButtonDblClick && m_text && watched == m_text->viewport()) {
        Q_EMIT editRequested();
        return true;
    }
    // The row's context menu, which copies the selection, takes the focus for a
    // while; the selection stays for it.
    if (watched == m_text && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        end();
    return false;
}
