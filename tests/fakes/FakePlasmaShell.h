#pragma once

#include "TestEnvironment.h"
#include "base/Settings.h"
#include "shell/freedesktop/PlasmaIconSwitch.h"

#include <QDBusContext>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QStringList>

// Plasma's scripting interface for the folder views' settings. It runs only
// the two scripts Plasma is sent (this copy of them is what a change must be
// checked against on a real desktop) and answers any other with an error.
// Like Plasma's folder view, it forgets the icons' arrangement while a filter
// hides every icon and lays them out afresh when they come back.
class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    // The settings the folder views hold, by containment id.
    QJsonObject views;
    QStringList scripts;
    QByteArray keptAtChange; // the program's settings on disk when a filter was last written
    static constexpr char freshLayout[] = "laid out afresh";

public Q_SLOTS:
    QString evaluateScript(const QString &script)
    {
        scripts.append(script);
        if (script == PlasmaIconSwitch::readScript) {
            QJsonArray out;
            for (auto it = views.constBegin(); it != views.constEnd(); ++it) {
                QJsonObject view = it.value().toObject();
                view.insert("id", it.key().toInt());
                out.append(view);
            }
            return QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact));
        }
        const QString prefix = "var wanted = ";
        const QString suffix = QStringLiteral(";\n") + QString(PlasmaIconSwitch::writeScript);
        if (!script.startsWith(prefix) || !script.endsWith(suffix)) {
            sendErrorReply(QDBusError::Failed, "Plasma would not run that script");
            return {};
        }
        keptAtChange = TestEnvironment::readFile(Settings::filePath());
        const QJsonObject wanted =
            QJsonDocument::fromJson(
                script.mid(prefix.size(), script.size() - prefix.size() - suffix.size()).toUtf8())
                .object();
        for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it) {
            QJsonObject view = views.value(it.key()).toObject();
            const bool wasHidden = hidesAll(view);
            const QJsonObject values = it.value().toObject();
            for (auto value = values.constBegin(); value != values.constEnd(); ++value)
                view.insert(value.key(), value.value());
            if (hidesAll(view))
                view.insert("positions", QJsonArray());
            else if (wasHidden)
                view.insert("positions", QJsonArray{freshLayout});
            views.insert(it.key(), view);
        }
        return {};
    }

private:
    // "Show files matching" a pattern with a slash: no file name matches.
    static bool hidesAll(const QJsonObject &view)
    {
        return view.value("filterMode").toInt() == 1 && view.value("filterPattern").toString().contains('/');
    }
};
