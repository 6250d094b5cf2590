#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// LXQt's desktop, pcmanfm-qt run with "--desktop": its own "Hide Desktop Items"
// choice, kept as HideItems in its settings file. pcmanfm-qt reads that file
// only when it starts and writes its own copy back when it ends, so a change
// reaches the running desktop by turning it off (it then saves and ends, unless
// a file-manager window of the same process is open: then it is turned on again
// and left alone), editing the file and starting it again exactly as it was
// started. What the file held before the hide is kept in the settings until it
// is given back, so a run killed meanwhile still lets the next one give it back.
class PcmanfmIconSwitch final : public DesktopIconSwitch
{
public:
    // A pcmanfm-qt desktop runs in this session and answers on the session bus.
    static bool isReachable();

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    struct Desktop
    {
        qint64 pid = 0;
        QStringList arguments;
        QHash<QString, QString> environment;
        QString workingDirectory;
        QString settingsPath;
    };
    static std::optional<Desktop> find();

    // Turns the desktop off, writes value (nullopt: removes the key) and starts
    // it again; false when it would not end or the file could not be written.
    bool relaunch(const Desktop &desktop, const std::optional<QByteArray> &value);
    bool write(const QString &path, const std::optional<QByteArray> &value) const;
    QString settingsPath();

    // The settings file of the desktop last seen, for when it is not running.
    QString m_lastPath;
    // A desktop that would not end (a window of it was open): not asked again.
    qint64 m_refusedPid = 0;
};
