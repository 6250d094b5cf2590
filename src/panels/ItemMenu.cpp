#include "ItemMenu.h"

#include "base/l10n/L10n.h"
#include "shell/DesktopModel.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace ItemMenu {

void addEntries(QMenu *menu, DesktopModel *model, const QPersistentModelIndex &item, QObject *context)
{
    QObject::connect(menu->addAction(L10n::text("Open")), &QAction::triggered, context,
                     [model, item] { model->openItem(item); });
    const QString path = model->itemPath(item);
    if (!path.isEmpty()) {
        QObject::connect(menu->addAction(L10n::text("Open file location")), &QAction::triggered, context,
                         [model, item, path] {
                             if (item.isValid())
                                 model->openPath(QFileInfo(path).absolutePath());
                         });
    }
    QObject::connect(menu->addAction(L10n::text("Properties")), &QAction::triggered, context,
                     [model, item] { model->invokeVerb(item, QStringLiteral("properties")); });
}

} // namespace ItemMenu
