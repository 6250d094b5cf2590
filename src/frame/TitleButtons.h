#pragma once

#include "frame/PanelStyle.h"

#include <QList>
#include <QObject>

class QPushButton;
class QWidget;

// The buttons at the trailing end of a panel's title band: shown while the
// pointer is over the panel, drawn by the glyph engine, with tooltips that
// follow the panel's state and the language.
class TitleButtons : public QObject
{
    Q_OBJECT

public:
    enum Button
    {
        Collapse,
        ViewToggle,
        Refresh,
        Close
    };
    Q_ENUM(Button)

    // The buttons stand in the given order from the leading end.
    TitleButtons(QWidget *window, const QList<Button> &buttons);
    ~TitleButtons() override;

    int count() const { return int(m_buttons.size()); }
    void setShown(bool shown);
    // Places the buttons in the window's title band (mirrored right to left).
    void layout(const PanelStyle::Metrics &m);

    void setCollapsed(bool collapsed);
    void setListView(bool list);
    void setHideToTray(bool hideToTray);

Q_SIGNALS:
    void clicked(TitleButtons::Button button);

private:
    void retranslate();
    QPushButton *button(Button which) const;

    QWidget *m_window;
    QList<std::pair<Button, QPushButton *>> m_buttons;
    bool m_collapsed = false;
    bool m_list = false;
    bool m_hideToTray = false;
};
