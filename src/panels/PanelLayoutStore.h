#pragma once

#include "panels/ArrangementRecords.h"
#include "panels/DisplayArrangement.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

// Custom panels, item assignments, manual orders and loose desktop positions,
// mirrored in "panels.json". Process-wide state, GUI thread only; every change
// rewrites the whole file before it returns, atomically. The file is the user's:
// what cannot be understood is copied aside before a save drops it, members
// this version does not know are kept, and a file that cannot be read at all is
// never saved over (changes then stay in memory). Failures go to stderr.
namespace PanelLayoutStore {

// A panel the user made: empty at first, or showing a folder's items (a
// folder panel, whose folder is then named by its exact bytes).
struct CustomPanel
{
    QString id;
    QString name;
    QByteArray folder = {};
    bool operator==(const CustomPanel &) const = default;
};

// "@desktop" for a loose item, else an existing custom panel the item is assigned
// to, else "" (the item belongs to its category's panel).
QString panelIdFor(const QString &itemKey);

QList<CustomPanel> customPanels();
bool isCustomPanel(const QString &id);
QString panelName(const QString &id);

// Creates a custom panel and returns its id ("custom-N", lowest free N), or
// with a folder a folder panel ("folder-N").
QString createPanel(const QString &name = QString(), const QByteArray &folder = QByteArray());
// The folder a folder panel shows; empty for any other id.
QByteArray panelFolder(const QString &id);
void renamePanel(const QString &id, const QString &name);
void removePanel(const QString &id);

// An empty panel id clears the assignments, returning the items to their categories.
void assignItems(const QStringList &itemKeys, const QString &panelId);

void setDesktopPosition(const QString &itemKey, QPoint position);
std::optional<QPoint> desktopPosition(const QString &itemKey);

QStringList itemOrder(const QString &orderKey);
void setItemOrder(const QString &orderKey, const QStringList &itemKeys);

QString desktopPanelId();

// The layout of every display arrangement seen: window places and loose item
// positions per set of connected screens, under "arrangements".
using WindowPlaces = QHash<QString, ArrangementRecords::WindowPlace>;
using Recall = ArrangementRecords::Recall;
// The screens connected now become the arrangement in force: returns the places
// kept for them, or those of the known arrangement a new one starts from. Loose
// items return to the positions kept for these screens; a new arrangement keeps
// them where they are.
Recall enterArrangement(const DisplayArrangement::Screens &screens);
// Records window places for the arrangement in force only (others of it are
// kept); nothing happens before one is.
void recordWindows(const WindowPlaces &windows);

// While one lives, changes are kept and written once, when the outermost ends: a
// start enters its arrangement and records its windows with one write, not two.
class SaveBatch
{
public:
    SaveBatch();
    ~SaveBatch();
    Q_DISABLE_COPY_MOVE(SaveBatch)
};

// Settings prefix of a panel: "panel/<id>", or "panel" for the one panel of single mode.
QString settingsPrefix(const QString &panelId);

QString filePath();

// Whether content is a whole layout file as this program writes it.
bool isLayoutDocument(const QByteArray &content);
// Replaces the layout file with content, a layout document, as one atomic
// write (a file that could not be fully read is copied aside first), and reads
// it afresh on next use. Fails, changing nothing, for anything else.
bool replaceFile(const QByteArray &content, QString *error);

// Forgets the in-memory state so that the next call reads the file again. The
// program itself never needs this; tests use it to simulate a restart.
void discardState();

} // namespace PanelLayoutStore
