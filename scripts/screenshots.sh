#!/bin/sh
# Draws the window's pages on a virtual X display and saves them under
# docs/screenshots: the two pages, the map alteration mode, and "Registros" with
# three recordings of a made-up drive in a private data folder and one plotted,
# and "Módulo" against the simulated module.
# Usage: screenshots.sh [build dir, default "build"]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target window_screenshot_test window_correction_window_test \
    window_map_editing_test window_map_views_test window_map_surface_test e2e_module_check \
    -j"$(nproc)"
mkdir -p "$root/docs/screenshots"
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/window_screenshot_test"
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/window_correction_window_test"
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/window_map_editing_test" \
    theMenuOpensBesideTheSelection
# The map view (colour grid and 3D surface) and a comparison with a file.
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/window_map_surface_test" \
    surfaceDrawsTheMapWhereOpenGlIs
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/window_map_views_test" \
    comparisonFramesCellsListsOthersAndEnds
# "Módulo" after a send the simulated module lost a packet of.
ORVEL_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/e2e_module_check" \
    aLostPacketLeavesTheOldValueAndTheCheckRunsAfterTheSend
ls -l "$root/docs/screenshots"
