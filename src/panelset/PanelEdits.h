#pragma once

#include <QObject>

class DesktopModel;
class FolderPanels;
class IconPanel;

// Carries out the panels' requests that change the stored layout: items
// dropped into a panel, and custom panels created, renamed and removed. A
// request naming no custom panel where one is needed changes nothing. Files
// dropped from another folder go to the folder panels to be moved or copied.
class PanelEdits : public QObject
{
    Q_OBJECT

public:
    PanelEdits(DesktopModel *model, FolderPanels *folders, QObject *parent);

    // Takes the panel's layout requests from now on (drops are handed in by the set).
    void watch(IconPanel *panel);
    void assignItems(const QStringList &keys, const QString &groupId);

Q_SIGNALS:
    void panelCreated();
    void panelRenamed(const QString &id, const QString &name);

private:
    void createPanel(const QString &name);
    void renamePanel(const QString &id, const QString &name);
    void removePanel(const QString &id);

    DesktopModel *m_model;
    FolderPanels *m_folders;
};
