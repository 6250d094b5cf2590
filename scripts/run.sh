#!/usr/bin/env bash
# Sets everything up, builds, and starts the organiser with the given options.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/src/larkspan" "$@"
