#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QString>

// A GSettings key that shows or hides a desktop's icons: a boolean that is
// false while they are hidden (Caja's and older Nautilus's
// "show-desktop-icons"), or a text key with one value that hides them (Nemo's
// "desktop-layout"; Nemo 5.6 ignores its own "show-desktop-icons"). Used only
// when the schema is installed and that desktop's process runs in this
// session: flipping the key of a desktop that is not there would change a
// stranger's setting and show nothing.
// Hiding stores the value it replaced in the program's settings, so that
// showing writes back exactly that, also in the run after one that was killed.
class GSettingsIconSwitch final : public DesktopIconSwitch
{
public:
    // hiddenText empty: a boolean key.
    GSettingsIconSwitch(const QString &schema, const QString &key, const QString &hiddenText = QString());

    // The schema with the key is installed.
    bool isInstalled() const;
    // The icons are hidden and it was this switch that hid them.
    bool hidByUs();

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    // The value as text ("true"/"false" for a boolean); empty when unreadable.
    QString read() const;
    // Writes the text; a null text resets the key to its default.
    bool write(const QString &text) const;
    QString hiddenText() const;
    QString storedReplaced() const;

    QString m_schema;
    QString m_key;
    QString m_hiddenText;
};
