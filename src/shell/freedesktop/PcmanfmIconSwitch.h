#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDeadlineTimer>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTimer;

// LXQt's desktop, pcmanfm-qt run with "--desktop": its own "Hide Desktop Items"
// choice, kept as HideItems in its settings file. pcmanfm-qt reads that file
// only when it starts and writes its own copy back when it ends, so a change
// reaches the running desktop by turning it off (it then saves and ends, unless
// a file-manager window of the same process is open: then it is turned on again
// and left alone), editing the file and starting it again exactly as it was
// started. What the file held before the hide is kept in the settings until it
// is given back, so a run killed meanwhile still lets the next one give it back.
// The restart takes a second or more, up to several: it is followed from the
// event loop, a short look at a time.
class PcmanfmIconSwitch final : public DesktopIconSwitch
{
public:
    PcmanfmIconSwitch();
    ~PcmanfmIconSwitch() override;

    // A pcmanfm-qt desktop runs in this session and answers on the session bus.
    static bool isReachable();

    bool iconsHiddenNow() override;
    bool toggle() override;
    void toggleLater(Done done) override;
    void finish(QDeadlineTimer deadline) override;
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

    // A restart under way: the desktop is asked to turn off and awaited, then
    // value is written (nullopt: the key removed) and it is started again. When
    // it would not end it is asked to turn its desktop on again instead.
    enum class Stage
    {
        Asked,
        Ending,
        Starting,
        TurningBackOn
    };
    struct Relaunch
    {
        Desktop desktop;
        std::optional<QByteArray> value;
        bool hiding = false;
        Done done;
        Stage stage = Stage::Asked;
        QDBusPendingCall call = QDBusPendingCall::fromCompletedCall(QDBusMessage());
        QDeadlineTimer deadline;
        bool written = false;
    };
    void step();
    // Fails when it would not end or the file could not be written.
    void conclude(bool ok);
    QString settingsPath();

    std::unique_ptr<QTimer> m_timer;
    std::optional<Relaunch> m_relaunch;

    // The settings file of the desktop last seen, for when it is not running.
    QString m_lastPath;
    // A desktop that would not end (a window of it was open): not asked again.
    qint64 m_refusedPid = 0;
};
