#!/usr/bin/env bash
# Configures and builds into a build directory (default: build).
# Usage: scripts/build.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DLARKSPAN_WERROR=ON "$@" >/dev/null
cmake --build "$dir" --parallel
