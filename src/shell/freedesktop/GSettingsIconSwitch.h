#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QString>

// The "show-desktop-icons" key of a GSettings schema, for the desktops that
// honour it (Nemo's, Caja's, older Nautilus). Used only when the schema is
// installed and that desktop's process runs in this session: flipping the key
// of a desktop that is not there would change a stranger's setting and show nothing.
class GSettingsIconSwitch final : public DesktopIconSwitch
{
public:
    explicit GSettingsIconSwitch(const QString &schema);

    // The schema with the key is installed.
    bool isInstalled() const;

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    bool write(bool show) const;

    QString m_schema;
};
