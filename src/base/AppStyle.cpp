#include "AppStyle.h"

#include <QStringList>

namespace AppStyle {

QFont appFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Microsoft YaHei UI"),
                      QStringLiteral("Microsoft YaHei")});
    return font;
}

QString toolTipStyleSheet()
{
    return QStringLiteral("QToolTip { background-color: #23272f; color: #f2f4f8; border: 1px solid #39404e;"
                          " border-radius: 8px; padding: 6px 10px;"
                          " font-family: \"Segoe UI\", \"Microsoft YaHei UI\", \"Microsoft YaHei\";"
                          " font-size: 12px; opacity: 255; }");
}

QString menuStyleSheet()
{
    return QStringLiteral("QMenu { background-color: #23272f; color: #f2f4f8; border: 1px solid #39404e;"
                          " border-radius: 8px; padding: 6px; font-size: 12px; }"
                          "QMenu::item { padding: 6px 26px 6px 22px; border-radius: 6px; }"
                          "QMenu::item:selected { background-color: #2f6fed; }"
                          "QMenu::item:disabled { color: #7c8598; }"
                          "QMenu::separator { height: 1px; background: #39404e; margin: 5px 8px; }");
}

} // namespace AppStyle
