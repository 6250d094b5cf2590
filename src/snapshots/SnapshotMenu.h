#pragma once

#include <QList>
#include <QObject>

class LayoutKeeper;
class QAction;
class QMenu;

// The layout commands the tray and panel menus offer: "Save layout…" asks for a
// name, "Restore layout" lists the snapshots by name and date, "Export layout…"
// and "Import layout…" ask for a file. Each runs once the menu that offered it
// is gone, since a restore remakes the panels.
class SnapshotMenu : public QObject
{
    Q_OBJECT

public:
    explicit SnapshotMenu(LayoutKeeper *keeper, QObject *parent = nullptr);
    ~SnapshotMenu() override;

    QList<QAction *> actions() const;

private:
    void fillRestoreMenu();
    void askName();
    void askExportFile();
    void askImportFile();

    LayoutKeeper *m_keeper;
    QAction *m_save;
    QMenu *m_restore;
    QAction *m_export;
    QAction *m_import;
};
