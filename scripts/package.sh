#!/usr/bin/env bash
# Sets everything up, builds, and makes the Debian package in build/package/.
#   scripts/package.sh            build the package and print its path
#   scripts/package.sh --check    also install it with dpkg, run the installed
#                                 program, and remove it again (needs root)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
out="$root/build/package"
rm -rf "$out"
(cd "$root/build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/*.deb)
echo "$deb"

if [[ ${1:-} == --check ]]; then
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" dpkg -i "$deb"
    mapfile -t files < <(dpkg -L larkspan | while read -r f; do [[ -f $f ]] && echo "$f"; done)
    expected=$(QT_QPA_PLATFORM=offscreen "$root/build/src/larkspan" --version)
    version=$(QT_QPA_PLATFORM=offscreen /usr/bin/larkspan --version)
    [[ $version == "$expected" ]] || { echo "installed larkspan --version said: $version"; exit 1; }
    printf '%s\n' "${files[@]}" | grep -q '^/usr/share/applications/.*\.desktop$'
    "${sudo[@]}" dpkg -r larkspan
    for f in "${files[@]}"; do
        if [[ -e $f ]]; then echo "left behind after removal: $f"; exit 1; fi
    done
    echo "installed ($version), started and removed cleanly: ${#files[@]} files"
fi
