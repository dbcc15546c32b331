#!/bin/sh
# Draws the Windows build's pages under Wine on a virtual X display, with the
# Windows platform and style, at 100 % and 150 % scaling (96 and 144 dots per
# inch), into docs/screenshots/windows-*.png and windows-150-*.png.
# Usage: windows-screenshots.sh [Windows build folder, default build-win]
set -eu
# One display for the whole run: Wine's desktop process starts with the prefix.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
. "$root/scripts/windows-env.sh"
export WINEPATH="Z:$ORVEL_WINDOWS_PREFIX/bin"
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
for dpi in 96 144; do
    wine_prefix "$work/wine-$dpi"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    mkdir -p "$work/shots-$dpi"
    for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        WINEPATH="$WINEPATH;Z:$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$runtime)")"
    done
    ORVEL_SCREENSHOT_DIR=$(winepath -w "$work/shots-$dpi") \
        wine "$build/window_screenshot_test.exe" -platform windows \
        -o "$(winepath -w "$work/report-$dpi.txt"),txt" >/dev/null 2>&1 || true
    wineserver -w
    grep -q "^Totals: .* 0 failed" "$work/report-$dpi.txt" || { cat "$work/report-$dpi.txt"; exit 1; }
    name=windows
    [ "$dpi" = 96 ] || name=windows-150
    for shot in configuracoes mapas registros; do
        cp "$work/shots-$dpi/$shot.png" "$root/docs/screenshots/$name-$shot.png"
    done
done
ls -l "$root"/docs/screenshots/windows-*.png
