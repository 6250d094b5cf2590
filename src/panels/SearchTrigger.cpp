#include "SearchTrigger.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

constexpr Qt::KeyboardModifiers chordModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

std::optional<SearchTrigger> SearchTrigger::fromEvent(const QEvent *event)
{
    if (event->type() == QEvent::InputMethod) {
        const auto *im = static_cast<const QInputMethodEvent *>(event);
        if (im->commitString().isEmpty() && im->preeditString().isEmpty())
            return std::nullopt;
        SearchTrigger trigger;
        trigger.fromInputMethod = true;
        trigger.preeditText = im->preeditString();
        trigger.attributes = im->attributes();
        trigger.commitText = im->commitString();
        trigger.replacementStart = im->replacementStart();
        trigger.replacementLength = im->replacementLength();
        return trigger;
    }
    if (event->type() != QEvent::KeyPress)
        return std::nullopt;

    const auto *key = static_cast<const QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & (chordModifiers | Qt::ShiftModifier);
    if (key->key() == Qt::Key_F && modifiers == Qt::ControlModifier)
        return SearchTrigger{};
    if (key->modifiers() & chordModifiers)
        return std::nullopt;
    // Space, Tab, Enter, Backspace, Escape and keys without text keep their meaning.
    const QString text = key->text();
    if (text.trimmed().isEmpty() || !text.at(0).isPrint())
        return std::nullopt;
    SearchTrigger trigger;
    trigger.text = text;
    return trigger;
}

void SearchTrigger::continueComposition(QObject *field) const
{
    if (!fromInputMethod)
        return;
    QInputMethodEvent event(preeditText, attributes);
    event.setCommitString(commitText, replacementStart, replacementLength);
    QCoreApplication::sendEvent(field, &event);
}
