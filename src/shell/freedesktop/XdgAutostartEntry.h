#pragma once

#include "shell/AutostartEntry.h"

#include <QString>

// Starting at sign-in the freedesktop way: a desktop entry in the user's XDG
// autostart folder whose Exec runs this executable. A file there that the
// program did not write is the user's: it is copied aside before it is ever
// replaced or removed.
class XdgAutostartEntry final : public AutostartEntry
{
public:
    static constexpr char16_t fileName[] = u"Larkspan.desktop";
    // Where earlier versions put their entry.
    static constexpr char16_t legacyFileName[] = u"Brim Vale.desktop";
    // Marks a file the program wrote itself.
    static constexpr char markerKey[] = "X-Larkspan-Autostart";

    // folder: the autostart folder ($XDG_CONFIG_HOME/autostart); executable: the
    // absolute path of the running program.
    XdgAutostartEntry(const QString &folder, const QString &executable);

    bool isEnabled() override;
    bool setEnabled(bool on) override;
    bool migrateLegacyEntry() override;
    bool exists() override;

    QString filePath() const;
    // The file's whole content as the program writes it.
    QByteArray content() const;

private:
    struct Reading;
    Reading read(const QString &path) const;
    Reading understand(const QByteArray &data) const;
    bool startsThis(const Reading &reading) const;
    bool isOurs(const Reading &reading) const;
    bool names(const QString &program, const QString &executable) const;
    bool removeFile(const QString &path, const Reading &reading);

    QString m_folder;
    QString m_executable;
};
