#pragma once

#include <QStyle>
#include <QWidget>

// The class of the first widget under root (root included) that is drawn through
// Qt's style sheet engine, or an empty text when none is. A painted window keeps
// that engine, and the memory it costs at every start, away.
inline QString styleSheetUser(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (const QWidget *widget : std::as_const(widgets)) {
        if (!widget->styleSheet().isEmpty() || widget->style()->inherits("QStyleSheetStyle"))
            return QString::fromLatin1(widget->metaObject()->className());
    }
    return {};
}
