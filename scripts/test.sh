#!/bin/sh
# Installs what is needed, builds with warnings as errors and runs every test twice:
# a normal build, then one under AddressSanitizer + UndefinedBehaviorSanitizer; then
# builds the Debian package and checks it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
"$root/scripts/build.sh" build -DORVEL_WERROR=ON
(cd "$root/build" && ctest --output-on-failure -j2)
"$root/scripts/build.sh" build-asan -DORVEL_WERROR=ON -DORVEL_SANITIZE=ON -DORVEL_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j2)
"$root/scripts/package.sh" build-package
if [ -x "$root/fuzz/run.sh" ]; then
    "$root/fuzz/run.sh" 30
fi
echo "All tests passed."
