#include "TitleEditor.h"

#include "base/l10n/L10n.h"
#include "frame/PanelStyle.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QWidget>

TitleEditor::TitleEditor(QWidget *window)
    : QObject(window)
    , m_window(window)
{}

TitleEditor::~TitleEditor() = default;

bool TitleEditor::isEditing() const
{
    return m_editor && m_editor->isVisible();
}

void TitleEditor::edit(const QRect &rect, const QString &current)
{
    if (!m_editor) {
        m_editor = new QLineEdit(m_window);
        m_editor->setStyleSheet(PanelStyle::editorStyleSheet());
        m_editor->setFrame(false);
        L10n::bind(m_editor, "accessibleName", "Panel name");
        m_editor->hide();
        m_editor->installEventFilter(this);
        connect(m_editor, &QLineEdit::editingFinished, this, [this] { finish(true); });
    }
    m_original = current;
    m_editor->setGeometry(QStyle::visualRect(m_window->layoutDirection(), m_window->rect(), rect));
    m_editor->setText(current);
    // All selected so typing replaces it, with the cursor at the start so a
    // name longer than the field shows its beginning.
    m_editor->setSelection(int(current.size()), -int(current.size()));
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
}

void TitleEditor::finish(bool commit)
{
    if (!isEditing())
        return;
    const QString text = m_editor->text().trimmed();
    m_editor->hide();
    Q_EMIT closed();
    if (commit && !text.isEmpty() && text != m_original)
        Q_EMIT nameCommitted(text);
}

bool TitleEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (m_editor && watched == m_editor && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        finish(false);
        return true;
    }
    return false;
}
