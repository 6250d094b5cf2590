#pragma once

#include <QLatin1StringView>
#include <QString>

// Every settings key of the program. Keys are stored in English and never
// translated; per-panel keys are built from a panel's settings prefix.
namespace SettingsKeys {

inline constexpr QLatin1StringView uiLanguage{"ui/language"};
inline constexpr QLatin1StringView panelIconSize{"panel/iconSize"};
inline constexpr QLatin1StringView panelLayoutLocked{"panel/layoutLocked"};
// A double-click on the bare desktop hides the panels and loose items, and the next brings them back.
inline constexpr QLatin1StringView desktopQuickHide{"desktop/quickHide"};
inline constexpr QLatin1StringView todoVisible{"todo/visible"};
inline constexpr QLatin1StringView currencyVisible{"currency/visible"};
inline constexpr QLatin1StringView todoHideCompleted{"todo/hideCompleted"};
inline constexpr QLatin1StringView todoGeometry{"todo/geometry"};
inline constexpr QLatin1StringView currencyGeometry{"currency/geometry"};
inline constexpr QLatin1StringView currencyLayoutVersion{"currency/layoutVersion"};
inline constexpr QLatin1StringView currencyFrom{"currency/from"};
inline constexpr QLatin1StringView currencyTo{"currency/to"};
inline constexpr QLatin1StringView currencyRatesGroup{"currency/rates"};
inline constexpr QLatin1StringView shellIconsHiddenByUs{"shell/iconsHiddenByUs"};
inline constexpr QLatin1StringView shellIconsRestoredAt{"shell/iconsRestoredAt"};
inline constexpr QLatin1StringView shellIconsReplaced{"shell/iconsReplaced"};
// What pcmanfm-qt's HideItems held before this program hid its desktop's items.
inline constexpr QLatin1StringView shellPcmanfmHideItems{"shell/pcmanfmHideItems"};
// What Plasma's folder views held (JSON by containment id) before this program filtered their icons out.
inline constexpr QLatin1StringView shellPlasmaFolderViews{"shell/plasmaFolderViews"};
// GNOME Shell's extension lists (JSON) before this program disabled its desktop icons extension.
inline constexpr QLatin1StringView shellGnomeExtensionLists{"shell/gnomeExtensionLists"};
inline constexpr QLatin1StringView autostartDecided{"autostart/decided"};

// Groups that own a "/keepOnTop" key besides the panels.
inline constexpr QLatin1StringView todoGroup{"todo"};
inline constexpr QLatin1StringView currencyGroup{"currency"};

// Suffixes appended to a panel's settings prefix ("panel/<id>", or "panel").
inline constexpr QLatin1StringView viewMode{"/viewMode"};
inline constexpr QLatin1StringView expandedHeight{"/expandedHeight"};
inline constexpr QLatin1StringView collapsed{"/collapsed"};
inline constexpr QLatin1StringView sortKey{"/sortKey"};
inline constexpr QLatin1StringView sortReversed{"/sortReversed"};
inline constexpr QLatin1StringView geometry{"/geometry"};
inline constexpr QLatin1StringView iconSize{"/iconSize"};
inline constexpr QLatin1StringView layoutVersion{"/layoutVersion"};
inline constexpr QLatin1StringView userPlaced{"/userPlaced"};
inline constexpr QLatin1StringView keepOnTop{"/keepOnTop"};

// A per-panel key: prefix + suffix, e.g. key(u"panel/documents", viewMode).
inline QString key(QStringView prefix, QLatin1StringView suffix)
{
    return prefix.toString() + suffix;
}

} // namespace SettingsKeys
