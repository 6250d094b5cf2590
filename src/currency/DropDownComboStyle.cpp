#include "DropDownComboStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>

DropDownComboStyle::DropDownComboStyle() = default;

DropDownComboStyle *DropDownComboStyle::shared()
{
    // One style for every combo; it goes with the application, and a combo
    // that outlives it falls back to the application's style.
    static QPointer<DropDownComboStyle> style;
    if (!style) {
        style = new DropDownComboStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

void DropDownComboStyle::apply(QComboBox *combo)
{
    combo->setStyle(shared());
}

int DropDownComboStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                  QStyleHintReturn *returnData) const
{
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
