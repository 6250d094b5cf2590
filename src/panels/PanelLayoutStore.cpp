#include "PanelLayoutStore.h"

#include "base/AppIdentity.h"
#include "base/AtomicSave.h"
#include "base/Backups.h"
#include "base/DamagedFile.h"
#include "base/FileNotice.h"
#include "base/SafeFile.h"
#include "base/l10n/L10nText.h"
#include "panels/LayoutJson.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtDebug>

namespace PanelLayoutStore {

namespace {

using LayoutJson::member;
using LayoutJson::withoutEmptyOrDuplicates;

const QLatin1StringView panelsMember("panels");
// Folder panels have a member of their own: a version that knows none keeps it
// as it is, rather than showing them as empty custom panels it might remove.
const QLatin1StringView folderPanelsMember("folderPanels");
const QLatin1StringView assignmentsMember("assignments");
const QLatin1StringView ordersMember("itemOrders");
const QLatin1StringView positionsMember("desktopPositions");
const QLatin1StringView arrangementsMember("arrangements");
const QLatin1StringView idMember("id");
const QLatin1StringView nameMember("name");

// Far beyond any real layout, small enough that a wrong file at the path cannot
// exhaust memory.
constexpr qint64 fileCap = 64 * 1024 * 1024;

struct StoredPanel
{
    CustomPanel panel;
    QJsonObject otherMembers; // members of its entry this version does not know
};

struct Layout
{
    QList<StoredPanel> panels;
    QHash<QString, QString> assignments;
    QHash<QString, QStringList> itemOrders;
    QHash<QString, QPoint> desktopPositions;
    // Most recently used first.
    QList<ArrangementRecords::Record> arrangements;
    QJsonObject otherMembers; // root members this version does not know
};

struct State
{
    Layout layout;
    bool loaded = false;
    DamagedFile file;
    // The file is a link to something that is not a layout and cannot be
    // copied: saving would destroy it, so changes stay in memory.
    bool keepFile = false;
    // Whether layout.arrangements.first() is the arrangement in force.
    bool arrangementInForce = false;
    // The file was read in the form before layouts per arrangement: a backup
    // comes before the first save rewrites it in the new one.
    bool olderForm = false;
    int batchDepth = 0;
    bool savePending = false;
};

State &state()
{
    static State s;
    return s;
}

// What reading a document made of it.
struct Parsed
{
    Layout layout;
    bool lostSomething = false; // a member or entry was skipped or changed
    bool isLayout = false;      // a JSON object as this program writes it
};

// Reads as much of a layout document as makes sense. Everything read is kept
// in memory; whatever has to be skipped is flagged so the caller keeps a copy.
Parsed parse(const QByteArray &data)
{
    Parsed result;
    if (data.trimmed().isEmpty())
        return result;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        result.lostSomething = true;
        return result;
    }
    const QJsonObject root = document.object();
    bool &lost = result.lostSomething;
    Layout &layout = result.layout;

    layout.itemOrders =
        LayoutJson::itemOrders(member(root, ordersMember, QJsonValue::Object, lost).toObject(), lost);

    layout.desktopPositions =
        LayoutJson::positions(member(root, positionsMember, QJsonValue::Object, lost).toObject(), lost);

    for (QLatin1StringView kind : {panelsMember, folderPanelsMember}) {
        const QJsonArray panels = member(root, kind, QJsonValue::Array, lost).toArray();
        for (const QJsonValue &value : panels) {
            QJsonObject entry = value.toObject();
            const QJsonValue id = entry.take(idMember);
            const QJsonValue name = entry.take(nameMember);
            std::optional<QByteArray> folder;
            if (kind == folderPanelsMember && !(folder = LayoutJson::takeFolderPath(entry, lost)))
                continue;
            if (!value.isObject() || !id.isString() || id.toString().isEmpty() ||
                !(name.isString() || name.isUndefined())) {
                lost = true;
                continue;
            }
            layout.panels.append(
                StoredPanel{{id.toString(), name.toString(), folder.value_or(QByteArray())}, entry});
        }
    }

    layout.assignments =
        LayoutJson::assignments(member(root, assignmentsMember, QJsonValue::Object, lost).toObject(), lost);

    layout.arrangements = ArrangementRecords::read(root.value(arrangementsMember), lost);

    layout.otherMembers = root;
    for (QLatin1StringView known : {panelsMember, folderPanelsMember, assignmentsMember, ordersMember,
                                    positionsMember, arrangementsMember})
        layout.otherMembers.remove(known);
    result.isLayout = !lost && (root.isEmpty() || layout.otherMembers.size() < root.size());
    return result;
}

QByteArray serialise(const Layout &layout)
{
    QJsonArray panels;
    QJsonArray folderPanels;
    for (const StoredPanel &stored : layout.panels) {
        QJsonObject entry = stored.otherMembers;
        entry.insert(idMember, stored.panel.id);
        entry.insert(nameMember, stored.panel.name);
        if (stored.panel.folder.isEmpty()) {
            panels.append(entry);
        } else {
            LayoutJson::putFolderPath(entry, stored.panel.folder);
            folderPanels.append(entry);
        }
    }
    QJsonObject assignments;
    for (auto it = layout.assignments.constBegin(); it != layout.assignments.constEnd(); ++it)
        assignments.insert(it.key(), it.value());
    QJsonObject positions;
    for (auto it = layout.desktopPositions.constBegin(); it != layout.desktopPositions.constEnd(); ++it)
        positions.insert(it.key(), QJsonArray{it.value().x(), it.value().y()});
    QJsonObject orders;
    for (auto it = layout.itemOrders.constBegin(); it != layout.itemOrders.constEnd(); ++it)
        orders.insert(it.key(), QJsonArray::fromStringList(it.value()));

    QJsonObject root = layout.otherMembers;
    root.insert(panelsMember, panels);
    if (!folderPanels.isEmpty())
        root.insert(folderPanelsMember, folderPanels);
    root.insert(assignmentsMember, assignments);
    root.insert(positionsMember, positions);
    root.insert(ordersMember, orders);
    if (!layout.arrangements.isEmpty())
        root.insert(arrangementsMember, ArrangementRecords::write(layout.arrangements));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void keepFileAsIs(State &s, const QString &path, const char *reason)
{
    s.keepFile = true;
    FileNotice::ignored(path, QString::fromLatin1(reason) +
                                  QLatin1String("; panel layout changes are kept in memory only"));
}

void load()
{
    State &s = state();
    s = State();
    s.loaded = true;

    const QString path = filePath();
    AtomicSave::removeStaleTemporaries(path);
    s.file = DamagedFile(path, QStringLiteral("panel layout"));

    const SafeFile::Result file = SafeFile::read(path, fileCap);
    if (!file.ok())
        return s.file.read(file.status);
    Parsed parsed = parse(file.data);
    s.layout = std::move(parsed.layout);
    s.olderForm = parsed.isLayout && s.layout.arrangements.isEmpty();
    // What could not be understood is kept before a save drops it, so a hand
    // edit with a typo never costs the user the layout it described.
    s.file.read(file.status, !parsed.lostSomething);
}

// Where the next save goes: the file, or the target of a link at its path when
// that target is a layout of ours. Empty when nothing must be written.
QString saveTarget(State &s, const QString &path)
{
    const QString target = AtomicSave::saveTarget(
        path, fileCap, [](const QByteArray &content) { return parse(content).isLayout; });
    if (target.isEmpty())
        keepFileAsIs(s, path, "it links to something that is not a panel layout and cannot be copied");
    return target;
}

void save()
{
    State &s = state();
    if (s.batchDepth > 0) {
        s.savePending = true;
        return;
    }
    if (s.keepFile || !s.file.mayReplace())
        return;
    const QString target = saveTarget(s, filePath());
    if (target.isEmpty())
        return;
    // Loose items are where the user put them in the arrangement in force.
    if (s.arrangementInForce)
        s.layout.arrangements.first().desktopPositions = s.layout.desktopPositions;
    if (s.olderForm && !s.layout.arrangements.isEmpty()) {
        s.olderForm = false;
        QString error;
        if (!Backups::make(Backups::folder(), Backups::sources(), QDateTime::currentDateTime(), &error))
            qWarning().noquote() << QStringLiteral("No backup before the layout's new form: %1").arg(error);
    }
    // A failure leaves the state as changed; the next change writes all of it again.
    const AtomicSave::Result result = AtomicSave::save(target, serialise(s.layout));
    if (!result)
        qWarning().noquote() << QStringLiteral("Cannot save the panel layout: %1").arg(result.error);
}

Layout &loaded()
{
    State &s = state();
    if (!s.loaded)
        load();
    return s.layout;
}

const StoredPanel *findPanel(const Layout &layout, const QString &id)
{
    for (const StoredPanel &stored : layout.panels) {
        if (stored.panel.id == id)
            return &stored;
    }
    return nullptr;
}

bool hasPanelNamed(const Layout &layout, const QString &name)
{
    for (const StoredPanel &stored : layout.panels) {
        if (stored.panel.name == name)
            return true;
    }
    return false;
}

} // namespace

QString filePath()
{
    return AppIdentity::layoutFile();
}

QString desktopPanelId()
{
    return QStringLiteral("@desktop");
}

QString settingsPrefix(const QString &panelId)
{
    return panelId.isEmpty() ? QStringLiteral("panel") : QLatin1String("panel/") + panelId;
}

QString panelIdFor(const QString &itemKey)
{
    const Layout &layout = loaded();
    if (layout.desktopPositions.contains(itemKey))
        return desktopPanelId();
    const auto it = layout.assignments.constFind(itemKey);
    // Items of the desktop are never a folder panel's: that shows a folder of its own.
    if (const StoredPanel *panel =
            it != layout.assignments.constEnd() ? findPanel(layout, it.value()) : nullptr;
        panel && panel->panel.folder.isEmpty())
        return it.value();
    return {};
}

QList<CustomPanel> customPanels()
{
    QList<CustomPanel> result;
    for (const StoredPanel &stored : loaded().panels)
        result.append(stored.panel);
    return result;
}

bool isCustomPanel(const QString &id)
{
    return findPanel(loaded(), id);
}

QString panelName(const QString &id)
{
    const StoredPanel *stored = findPanel(loaded(), id);
    return stored ? stored->panel.name : QString();
}

QString createPanel(const QString &name, const QByteArray &folder)
{
    Layout &layout = loaded();
    QString chosen = name.trimmed();
    if (chosen.isEmpty()) {
        chosen = L10n::text("New panel");
        for (int n = 2; hasPanelNamed(layout, chosen); ++n)
            chosen = L10n::text("New panel %1").arg(n);
    }
    QString id;
    for (int n = 1;; ++n) {
        id = (folder.isEmpty() ? QStringLiteral("custom-%1") : QStringLiteral("folder-%1")).arg(n);
        if (!findPanel(layout, id))
            break;
    }
    layout.panels.append(StoredPanel{{id, chosen, folder}, {}});
    save();
    return id;
}

QByteArray panelFolder(const QString &id)
{
    const StoredPanel *stored = findPanel(loaded(), id);
    return stored ? stored->panel.folder : QByteArray();
}

void renamePanel(const QString &id, const QString &name)
{
    bool changed = false;
    for (StoredPanel &stored : loaded().panels) {
        if (stored.panel.id == id) {
            stored.panel.name = name;
            changed = true;
        }
    }
    if (changed)
        save();
}

void removePanel(const QString &id)
{
    Layout &layout = loaded();
    layout.panels.removeIf([&id](const StoredPanel &stored) { return stored.panel.id == id; });
    layout.assignments.removeIf(
        [&id](const QHash<QString, QString>::iterator it) { return it.value() == id; });
    layout.itemOrders.remove(settingsPrefix(id));
    save();
}

void assignItems(const QStringList &itemKeys, const QString &panelId)
{
    Layout &layout = loaded();
    for (const QString &key : itemKeys) {
        if (key.isEmpty())
            continue;
        layout.desktopPositions.remove(key);
        if (panelId.isEmpty())
            layout.assignments.remove(key);
        else
            layout.assignments.insert(key, panelId);
    }
    save();
}

void setDesktopPosition(const QString &itemKey, QPoint position)
{
    if (itemKey.isEmpty())
        return;
    Layout &layout = loaded();
    layout.assignments.remove(itemKey);
    layout.desktopPositions.insert(itemKey, position);
    save();
}

std::optional<QPoint> desktopPosition(const QString &itemKey)
{
    const Layout &layout = loaded();
    const auto it = layout.desktopPositions.constFind(itemKey);
    if (it == layout.desktopPositions.constEnd())
        return std::nullopt;
    return it.value();
}

QStringList itemOrder(const QString &orderKey)
{
    return loaded().itemOrders.value(orderKey);
}

void setItemOrder(const QString &orderKey, const QStringList &itemKeys)
{
    if (orderKey.isEmpty())
        return;
    Layout &layout = loaded();
    const QStringList keys = withoutEmptyOrDuplicates(itemKeys);
    if (keys.isEmpty())
        layout.itemOrders.remove(orderKey);
    else
        layout.itemOrders.insert(orderKey, keys);
    save();
}

Recall enterArrangement(const DisplayArrangement::Screens &screens)
{
    Layout &layout = loaded();
    bool changed = false;
    const Recall recall =
        ArrangementRecords::enter(layout.arrangements, screens, layout.desktopPositions, changed);
    state().arrangementInForce = true;
    if (changed)
        save();
    return recall;
}

void recordWindows(const WindowPlaces &windows)
{
    State &s = state();
    if (!s.arrangementInForce)
        return;
    WindowPlaces &kept = s.layout.arrangements.first().windows;
    bool changed = false;
    for (auto it = windows.constBegin(); it != windows.constEnd(); ++it) {
        if (kept.value(it.key()) != it.value()) {
            kept.insert(it.key(), it.value());
            changed = true;
        }
    }
    if (changed)
        save();
}

SaveBatch::SaveBatch()
{
    loaded(); // reading starts the state afresh, which would end the batch
    ++state().batchDepth;
}

SaveBatch::~SaveBatch()
{
    State &s = state();
    // A state discarded meanwhile started afresh with nothing of this batch's to write.
    if (s.batchDepth > 0 && --s.batchDepth == 0 && std::exchange(s.savePending, false))
        save();
}

void discardState()
{
    state() = State();
}

bool isLayoutDocument(const QByteArray &content)
{
    return !content.trimmed().isEmpty() && parse(content).isLayout;
}

bool replaceFile(const QByteArray &content, QString *error)
{
    if (!isLayoutDocument(content)) {
        *error = QStringLiteral("not a panel layout");
        return false;
    }
    loaded();
    State &s = state();
    const QString target = s.keepFile || !s.file.mayReplace() ? QString() : saveTarget(s, filePath());
    if (target.isEmpty()) {
        *error = QStringLiteral("the layout file cannot be replaced");
        return false;
    }
    const AtomicSave::Result result = AtomicSave::save(target, content);
    if (!result) {
        *error = result.error;
        return false;
    }
    discardState();
    return true;
}

} // namespace PanelLayoutStore
