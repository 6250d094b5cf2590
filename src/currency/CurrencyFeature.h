#pragma once

#include <QObject>

class CompositorWatch;
class CurrencyPanel;
class DesktopLayer;
class CompanionHost;
class QAction;

// The currency converter as part of the program: its panel joins the panel
// set (shown, hidden, locked, snapped and tidied with the others) and the
// desktop layer, and one checkable "Currency converter" action, shared by the
// panel menus and the tray menu, shows or hides it and says whether it shows.
class CurrencyFeature : public QObject
{
    Q_OBJECT

public:
    // compositor: the program's watch, which the panel follows.
    CurrencyFeature(CompanionHost *panels, DesktopLayer *layer, CompositorWatch *compositor,
                    QObject *parent = nullptr);
    ~CurrencyFeature() override;

    QAction *action() const { return m_action; }
    CurrencyPanel *panel() const { return m_panel; }

    bool isVisible() const;
    void setVisible(bool visible);

Q_SIGNALS:
    void visibilityChanged(bool visible);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect defaultGeometry() const;

    CompanionHost *m_panels;
    DesktopLayer *m_layer;
    CurrencyPanel *m_panel;
    QAction *m_action;
};
