#include "look/AccessibleWindows.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Qt asks the factories about each class of an object from the most derived
// one up; being asked about plain QWidget means Qt knows no better role for it.
QAccessibleInterface *windowInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !widget->isWindow() || className != QLatin1String("QWidget"))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

void AccessibleWindows::install()
{
    QAccessible::installFactory(&windowInterface);
}
