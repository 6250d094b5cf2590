#!/usr/bin/env bash
# Cross-builds the Windows build into build-windows/ with mingw-w64 and the Qt
# SDK for Windows, deploys larkspan.exe with everything it loads into
# build-windows/dist/ and zips that (build-windows/larkspan-windows.zip, the
# Windows download); with --test runs the unit tests and the end-to-end test
# under Wine on a virtual X display.
# Usage: scripts/build-windows.sh [--test] [extra cmake arguments...]
# LARKSPAN_QT_MINGW: the folder holding the SDK's tarball
# (default: ../shared/toolchains/qt6-mingw beside the repository).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
run_tests=0
if [ "${1:-}" = "--test" ]; then
    run_tests=1
    shift
fi
toolchain=${LARKSPAN_QT_MINGW:-"$root/../shared/toolchains/qt6-mingw"}
out="$root/build-windows"
sdk="$out/sdk"

step_start=$SECONDS
step() {
    echo "== $1 ($((SECONDS - step_start)) s)"
    step_start=$SECONDS
}

# 1. What the build needs, installed only when missing.
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build zip)
# The end-to-end test drives Wine's windows on Xvfb like the other end-to-end
# tests do (openbox, xdotool, ImageMagick's import for the screenshots).
[ $run_tests = 1 ] && packages+=(wine wine64 xvfb python3 openbox xcompmgr xdotool imagemagick dbus x11-utils)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f '${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || { echo "needs root to install: ${missing[*]}" >&2; exit 1; }
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
step "packages"

# 2. The SDK, unpacked once.
if [ ! -x "$sdk/prefix/bin/qt-cmake" ]; then
    mkdir -p "$sdk"
    tar -xJf "$toolchain/qt6.4.2-mingw-w64-x86_64-posix.tar.xz" -C "$sdk"
fi
step "SDK"

# 3. Configure and build. Tests run through the emulator, which runs them under Wine.
"$sdk/prefix/bin/qt-cmake" -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLARKSPAN_PCH=ON -DLARKSPAN_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-test.sh" "$@" >/dev/null
step "configure"
cmake --build "$out"
step "build"

# 4. The download: the program, its rate helper, the Qt and mingw DLLs they
# load, the platform and style plugins, TLS for the rate requests (Schannel)
# and the image formats of the desktop's pictures. The translations are
# compiled into the program.
qt="$sdk/prefix"
dist="$out/dist"
rm -rf "$dist" "$out/larkspan-windows.zip"
for exe in larkspan larkspan-rate-fetch; do
    "$toolchain/deploy-mingw.sh" "$out/src/$exe.exe" "$dist" "$qt" >/dev/null
done
for plugins in tls imageformats; do
    if [ -d "$qt/plugins/$plugins" ]; then
        mkdir -p "$dist/$plugins"
        cp "$qt/plugins/$plugins"/*.dll "$dist/$plugins/"
    fi
done
(cd "$out" && ln -sfn dist Larkspan && zip -qr larkspan-windows.zip Larkspan && rm Larkspan)
step "dist"
[ $run_tests = 1 ] || exit 0

# 5. The unit tests under Wine: a fresh prefix, and a display of their own for
# Wine's desktop window (the tests themselves draw off screen).
export WINEPREFIX="$out/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Qt and mingw runtime DLLs, on the Unix root's drive.
sdk_bin="$sdk/prefix/bin"
gcc_bin=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="Z:${sdk_bin//\//\\};Z:${gcc_bin//\//\\}"
rm -rf "$WINEPREFIX"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$out/display" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$out/display")"
wine wineboot -i >/dev/null 2>&1
step "wineboot"
status=0
(cd "$out" && ctest --output-on-failure --timeout 300) || status=$?
step "tests"
exit $status
