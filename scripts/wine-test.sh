#!/usr/bin/env bash
# Runs one cross-built QtTest program under Wine (CTest's emulator for the
# Windows build): its results go to a file, as its standard output does not
# reach a pipe under Wine, and are shown once it ends.
# Usage: scripts/wine-test.sh <test.exe> [test arguments...]
set -uo pipefail
exe=$1
shift
results=$(mktemp)
trap 'rm -f "$results"' EXIT
wine "$exe" -o "Z:$results,txt" "$@" >/dev/null
status=$?
tr -d '\r' <"$results"
exit $status
