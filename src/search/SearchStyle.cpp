#include "SearchStyle.h"

#include "look/AppStyle.h"

QString SearchStyle::styleSheet()
{
    return QStringLiteral(
               "QWidget { %1 }"
               "QLabel { color: %2; font-size: 11px; background: transparent; }"
               "QLabel#searchTitle { color: %3; font-size: 13px; font-weight: 600; }"
               "QLineEdit { color: %3; background: #1c2028; border: 1px solid #506789; border-radius: 8px;"
               " padding: 10px 12px; font-size: 16px; selection-background-color: #365c94; }"
               "QListView { background: transparent; border: none; outline: none; }"
               "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 0; }"
               "QScrollBar::handle:vertical { background: #5c6573; border-radius: 4px; min-height: 28px; }"
               "QScrollBar::handle:vertical:hover { background: #7b8799; }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
        .arg(AppStyle::fontFamilyDeclaration(), AppStyle::css(categoryText), AppStyle::css(nameText));
}
