#include "ToolTipStyler.h"

#include "look/AppStyle.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

ToolTipStyler::ToolTipStyler(QObject *parent)
    : QObject(parent)
{}

void ToolTipStyler::install(QApplication *app)
{
    app->installEventFilter(new ToolTipStyler(app));
}

bool ToolTipStyler::eventFilter(QObject *watched, QEvent *event)
{
    // Qt's tool tip label is private; it is known by its class name. It is
    // polished before it measures its text, so the sheet's font and padding
    // count from the start. Qt gives a shown tip a placeholder sheet of its own
    // (so that the sheet of the widget it explains applies) and measures it
    // again: the placeholder is replaced as it comes, which keeps both.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Polish || type == QEvent::StyleChange) && watched->isWidgetType() &&
        watched->inherits("QTipLabel")) {
        auto *tip = static_cast<QWidget *>(watched);
        const QString sheet = AppStyle::toolTipStyleSheet();
        if (tip->styleSheet() != sheet)
            tip->setStyleSheet(sheet);
    }
    return false;
}
