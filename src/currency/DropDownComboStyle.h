#pragma once

#include "frame/SharedStyle.h"

#include <QProxyStyle>

class QComboBox;

// Makes a combo box open a list that drops down below it, as on most desktops,
// rather than Fusion's menu laid over the combo with the current entry under
// the pointer, in a window without a frame of its own. A style rather than a
// style sheet's "combobox-popup", which would give the combo's window a style
// sheet engine at start.
class DropDownComboStyle : public QProxyStyle
{
    Q_OBJECT

public:
    static void apply(QComboBox *combo);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    DropDownComboStyle();
    friend DropDownComboStyle *sharedStyle<DropDownComboStyle>();
};
