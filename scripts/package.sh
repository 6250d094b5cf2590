#!/usr/bin/env bash
# Sets everything up, builds, and makes the Debian package in build/package/.
#   scripts/package.sh            build the package and print its path
#   scripts/package.sh --check    also check it: lintian finds no error or warning,
#                                 the program is hardened, a second build from a
#                                 fresh folder gives the same package byte for byte,
#                                 and it installs, runs and removes cleanly (needs root)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"

# package <build dir> <output dir>: prints the path of the package made.
package() {
    rm -rf "$2"
    (cd "$1" && cpack -G DEB -B "$2" >/dev/null)
    ls "$2"/*.deb
}
deb=$(package "$root/build" "$root/build/package")
echo "$deb"
[[ ${1:-} == --check ]] || exit 0

fail() {
    echo "package check: $*" >&2
    exit 1
}

# Debian's own checks, the pedantic ones included: any error or warning fails.
tags=$(lintian --pedantic --tag-display-limit 0 "$deb" 2>/dev/null | grep -E '^[EW]: ' || true)
[[ -z $tags ]] || fail "lintian reports"$'\n'"$tags"

# Hardening, read from the packaged binary: a stack protector, fortified libc
# calls, position independence, and relocations read-only and bound at start.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/tree"
binary="$work/tree/usr/bin/larkspan"
dynamic=$(readelf -d "$binary")
grep -q 'BIND_NOW' <<<"$dynamic" || fail "not bound at start (BIND_NOW)"
grep -q 'Flags:.*PIE' <<<"$dynamic" || fail "not position independent"
readelf -lW "$binary" | grep -q 'GNU_RELRO' || fail "no read-only relocations (RELRO)"
symbols=$(readelf -sW --dyn-syms "$binary")
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"
grep -q '__[a-z]*_chk@' <<<"$symbols" || fail "no fortified libc calls"

# The same commit makes the same package: again from this build, and from a
# build of its own in another folder.
cmp "$deb" "$(package "$root/build" "$work/again")" || fail "a second package from the same build differs"
# Beside build/, not in it: the relative way from a build to the sources is
# part of the debug information, from which the linker makes the build id.
fresh="$root/build-package"
"$root/scripts/build.sh" "$fresh" -DLARKSPAN_BUILD_TESTS=OFF -DLARKSPAN_BUILD_BENCH=OFF
cmp "$deb" "$(package "$fresh" "$work/fresh")" || fail "a build in another folder makes a different package"

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
"${sudo[@]}" dpkg -i "$deb"
mapfile -t files < <(dpkg -L larkspan | while read -r f; do [[ -f $f ]] && echo "$f"; done)
expected=$(QT_QPA_PLATFORM=offscreen "$root/build/src/larkspan" --version)
version=$(QT_QPA_PLATFORM=offscreen /usr/bin/larkspan --version)
[[ $version == "$expected" ]] || fail "installed larkspan --version said: $version"
printf '%s\n' "${files[@]}" | grep -q '^/usr/share/applications/.*\.desktop$' || fail "no desktop entry"
"${sudo[@]}" dpkg -r larkspan
for f in "${files[@]}"; do
    [[ ! -e $f ]] || fail "left behind after removal: $f"
done
echo "lintian clean, hardened, reproducible; installed ($version), started and removed cleanly: ${#files[@]} files"
