#include "DropDownComboStyle.h"

#include <QComboBox>

DropDownComboStyle::DropDownComboStyle() = default;

void DropDownComboStyle::apply(QComboBox *combo)
{
    combo->setStyle(sharedStyle<DropDownComboStyle>());
}

int DropDownComboStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                  QStyleHintReturn *returnData) const
{
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
