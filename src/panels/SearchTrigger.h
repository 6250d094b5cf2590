#pragma once

#include <QInputMethodEvent>
#include <QList>
#include <QString>

#include <optional>

class QEvent;
class QObject;

// What starts a quick search from a panel: a typed character (the search begins
// with it), Ctrl+F (an empty search), or text an input method composes or
// commits, which carries on inside the search field.
struct SearchTrigger
{
    // The text the search field starts with.
    QString text;
    // The composition that continues in the search field, when an input method
    // started the search.
    bool fromInputMethod = false;
    QString preeditText;
    QList<QInputMethodEvent::Attribute> attributes;
    QString commitText;
    int replacementStart = 0;
    int replacementLength = 0;

    // The trigger of a key press or input-method event, or none when the event
    // keeps its ordinary meaning (navigation, Tab, Enter, Space, shortcuts).
    static std::optional<SearchTrigger> fromEvent(const QEvent *event);

    // Hands the input method's composition to the search field.
    void continueComposition(QObject *field) const;
};
