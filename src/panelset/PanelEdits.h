#pragma once

#include <QObject>

class DesktopModel;
class IconPanel;

// Carries out the panels' requests that change the stored layout: items
// dropped into a panel, and custom panels created, renamed and removed. A
// request naming no custom panel where one is needed changes nothing.
class PanelEdits : public QObject
{
    Q_OBJECT

public:
    PanelEdits(DesktopModel *model, QObject *parent);

    // Takes the panel's layout requests from now on.
    void watch(IconPanel *panel);

Q_SIGNALS:
    void panelCreated();
    void panelRenamed(const QString &id, const QString &name);

private:
    void assignItems(const QStringList &keys, const QString &groupId);
    void createPanel(const QString &name);
    void renamePanel(const QString &id, const QString &name);
    void removePanel(const QString &id);

    DesktopModel *m_model;
};
