#include "DropDownComboStyle.h"

#include <QComboBox>
#include <QFrame>

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
    // The list draws its own rounded border; a frame around it would show square corners.
    if (hint == SH_ComboBox_PopupFrameStyle)
        return QFrame::NoFrame;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
