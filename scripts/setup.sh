#!/usr/bin/env bash
# Installs what building, running and testing Larkspan needs on Debian 12,
# asking apt-get only for packages that are missing (through sudo when not root).
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ lld pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev-tools qt6-translations-l10n
    libglib2.0-dev libgl-dev libxcb1-dev libxcb-xfixes0-dev libxcb-xinput-dev
    # item icons and opening items: an icon theme and the MIME database GIO and Qt read
    adwaita-icon-theme hicolor-icon-theme shared-mime-info
    # text: Latin, Greek, Cyrillic, Arabic and Hebrew, Chinese, Japanese and Korean, and Thai names and
    # interfaces (the same fonts the package recommends)
    fonts-dejavu-core fonts-wqy-microhei fonts-thai-tlwg
    # shell tests and end-to-end tests: a real Xfce settings daemon on a private bus, a real X server,
    # window managers, compositor, desktop and tray
    xvfb xauth openbox xfwm4 xcompmgr hsetroot xfdesktop4 xfconf xterm trayer xdotool wmctrl x11-utils x11-xserver-utils
    imagemagick dbus dbus-x11 python3
    # Cinnamon's and MATE's desktops, whose icon switches live in GSettings (dconf on the session bus)
    nemo caja dconf-service dconf-gsettings-backend libglib2.0-bin
    # Wayland sessions: weston's headless backend with XWayland, and Qt's Wayland platform;
    # KWin's and mutter's headless compositors, whose XWayland window managers keep layers
    weston xwayland qt6-wayland kwin-wayland mutter
    # LXQt's desktop, whose "Hide Desktop Items" setting the icon switch drives
    pcmanfm-qt
    # the rate client's test makes a self-signed certificate
    openssl
    # formatting check; installing and packaging checks
    clang-format desktop-file-utils appstream dpkg-dev file lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
