#!/bin/sh
# Builds the Windows program on this Debian machine and checks it under Wine:
# installs what it needs, unpacks (or builds) the toolkit for MinGW-w64 into a
# cache folder, cross-builds orvel.exe and the tests, runs the tests under Wine,
# lays out the program's folder, runs it against the Linux simulator through a
# Wine COM port, and builds and checks the installer and the portable zip.
# Usage: windows.sh [--build-only]
# Everything lands in build-win/ (the installer and the zip in build-win/dist/).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-win
only_build=${1:-}
. "$root/scripts/windows-env.sh"

"$root/scripts/install-deps.sh"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
missing=""
for p in g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools ninja-build wine64 wine \
    nsis zip unzip qt6-translations-l10n xvfb xauth imagemagick; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
fi

step() { echo "== $1 ($(date +%T))"; }

# The toolkit: the prepared archive when this machine has it, else built from
# the sources (about 35 minutes on two cores).
if [ ! -f "$ORVEL_WINDOWS_PREFIX/.complete" ]; then
    step "toolkit for MinGW-w64"
    rm -rf "$ORVEL_WINDOWS_PREFIX"
    mkdir -p "$(dirname "$ORVEL_WINDOWS_PREFIX")"
    archive=$root/../shared/toolchains/qt-6.4.2-mingw-w64.tar.xz
    if [ -f "$archive" ]; then
        if [ -f "$archive.sha256" ] &&
            [ "$(sha256sum "$archive" | cut -d' ' -f1)" != "$(cut -d' ' -f1 "$archive.sha256")" ]; then
            echo "$archive: checksum differs from $archive.sha256" >&2
            exit 1
        fi
        tar -C "$(dirname "$ORVEL_WINDOWS_PREFIX")" -xJf "$archive"
    else
        "$root/scripts/windows-toolchain.sh" "$ORVEL_WINDOWS_PREFIX"
    fi
    touch "$ORVEL_WINDOWS_PREFIX/.complete"
fi

step "cross-build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DORVEL_WINDOWS_PREFIX="$ORVEL_WINDOWS_PREFIX" -DCMAKE_BUILD_TYPE=Release \
    -DORVEL_WERROR=ON -DORVEL_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
[ "$only_build" = "--build-only" ] && exit 0

step "tests under Wine"
wine_prefix "$build/wine-tests"
wine_offscreen
(cd "$build" && ctest --output-on-failure -j2)

step "program folder"
dist=$build/dist
folder=$dist/Orvel
rm -rf "$dist"
cmake --install "$build" --prefix "$folder" >/dev/null
"$root/scripts/windows-dlls.sh" "$folder"
WINEPATH= wine "$folder/orvel.exe" --version | tr -d '\r' | grep -qx "orvel [0-9.]*"

step "end to end through a Wine COM port"
"$root/scripts/windows-e2e.sh" "$build"

step "installer and portable zip"
"$root/scripts/windows-installer.sh" "$build"
step "done"
