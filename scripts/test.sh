#!/bin/sh
# Installs what is needed, builds with warnings as errors and runs every test twice:
# a normal build, then one under AddressSanitizer + UndefinedBehaviorSanitizer; then
# builds the Debian package and checks it; then cross-builds the Windows program
# and checks it under Wine (ORVEL_WINDOWS=0 leaves that out). Prints how long each
# part took.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
times=""
started=$(date +%s)
part() {
    now=$(date +%s)
    times="$times
  $1: $((now - started)) s"
    started=$now
}
"$root/scripts/install-deps.sh"
part "installing"
export QT_QPA_PLATFORM=offscreen
"$root/scripts/build.sh" build -DORVEL_WERROR=ON
(cd "$root/build" && ctest --output-on-failure -j2)
part "Linux build and tests"
"$root/scripts/build.sh" build-asan -DORVEL_WERROR=ON -DORVEL_SANITIZE=ON -DORVEL_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j2)
part "ASan+UBSan build and tests"
"$root/scripts/package.sh" build-package
part "Debian package"
if [ -x "$root/fuzz/run.sh" ]; then
    "$root/fuzz/run.sh" 30
fi
part "fuzzing"
if [ "${ORVEL_WINDOWS:-1}" != 0 ]; then
    unset ASAN_OPTIONS UBSAN_OPTIONS
    "$root/scripts/windows.sh"
    part "Windows build, tests under Wine, COM port, installer"
fi
echo "Times:$times"
echo "All tests passed."
