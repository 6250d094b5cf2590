#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

if [[ ${1:-} == --sanitize ]]; then
    dir="$root/build-asan"
    "$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Debug -DLARKSPAN_SANITIZE=ON -DLARKSPAN_BUILD_BENCH=OFF
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    dir="$root/build"
    "$root/scripts/build.sh" "$dir"
fi
cd "$dir"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
