#pragma once

#include <QObject>
#include <QString>

class DesktopLayer;
class CompanionHost;
class QAction;
class TodoModel;
class TodoPanel;

// The to-do list among the panels: owns its model and panel, keeps the panel
// with the set (snapping, lock, show and hide all, the desktop layer) and
// follows whether the user wants it shown ("todo/visible") through one
// checkable action that every menu offering the list shares.
class TodoController : public QObject
{
    Q_OBJECT

public:
    // An empty path keeps the tasks in the default todo.json.
    TodoController(CompanionHost *panels, DesktopLayer *layer, const QString &path = QString(),
                   QObject *parent = nullptr);
    ~TodoController() override;

    TodoModel *model() const { return m_model; }
    TodoPanel *panel() const { return m_panel; }
    // "Show To-do list": checked while the user wants the list shown.
    QAction *visibilityAction() const { return m_action; }
    // "To-do list": the same switch as the tray's tools name it.
    QAction *toolAction() const { return m_toolAction; }
    bool isWanted() const { return m_wanted; }

public Q_SLOTS:
    void setVisible(bool visible);
    void setCompositing(bool composited);

Q_SIGNALS:
    void visibilityChanged(bool visible);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPanel();

    CompanionHost *m_panels;
    DesktopLayer *m_layer;
    TodoModel *m_model;
    TodoPanel *m_panel;
    QAction *m_action;
    QAction *m_toolAction;
    bool m_wanted;
};
