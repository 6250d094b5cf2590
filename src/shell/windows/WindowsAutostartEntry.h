#pragma once

#include "shell/AutostartEntry.h"

#include <QString>

#include <memory>

class RunKey;

// Starting at sign-in the Windows way: a value in the user's Run key holding
// the quoted path of this executable. Earlier versions wrote theirs under
// another name, which is recognised by the executable it starts.
class WindowsAutostartEntry final : public AutostartEntry
{
public:
    static constexpr char16_t valueName[] = u"Larkspan";
    static constexpr char16_t legacyValueName[] = u"Brim Vale";

    WindowsAutostartEntry(std::unique_ptr<RunKey> key, const QString &executable);
    ~WindowsAutostartEntry() override;

    bool isEnabled() override;
    bool setEnabled(bool on) override;
    bool migrateLegacyEntry() override;
    bool exists() override;

    // The executable a Run command starts: the quoted part, or the whole
    // command (arguments and all) when it is not quoted.
    static QString commandPath(const QString &command);
    // The command starts exactly this executable, whatever the letter case or
    // the kind of slashes.
    static bool sameExecutable(const QString &command, const QString &executable);
    // The command starts this program: this executable, or one of the program's
    // names, current or earlier, in any folder.
    static bool isOwnEntry(const QString &command, const QString &executable);

private:
    bool write(bool on);

    std::unique_ptr<RunKey> m_key;
    QString m_executable;
};
