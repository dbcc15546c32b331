#!/bin/sh
# The Windows program against the Linux simulator through a Wine COM port: Wine
# maps COM5 onto the simulator's pseudo-terminal by a link in its prefix
# ($WINEPREFIX/dosdevices/com5). The same run is made first by the Linux build
# on the simulator's own link; both must save the same map file, and each
# simulator must receive the same 32 packets and the end command.
# Usage: windows-e2e.sh <Windows build folder> [Linux build folder, default build]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
winbuild=$1
linux=${2:-$root/build}
. "$root/scripts/windows-env.sh"
if [ ! -x "$linux/orvel-module-sim" ] || [ ! -x "$linux/tests/com_port_test" ]; then
    cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$linux" -j"$(nproc)" --target orvel-module-sim com_port_test
fi
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# start_sim <name>: a simulator of its own; its link's path in $work/<name>/link.
start_sim() {
    mkdir -p "$work/$1/run" "$work/$1/data" "$work/$1/out"
    chmod 700 "$work/$1/run" # a runtime folder is the user's alone
    # The simulator ends at the end of its standard input: keep that open.
    sleep 600 | XDG_RUNTIME_DIR=$work/$1/run "$linux/orvel-module-sim" \
        >"$work/$1/link" 2>"$work/$1/log" &
    pids="$pids $!"
    for _ in $(seq 50); do
        [ -s "$work/$1/link" ] && return 0
        sleep 0.1
    done
    echo "the simulator printed no link" >&2
    exit 1
}

# The packets and the end of the upload as a simulator logged them.
received() {
    sed 's/^[^:]*: //' "$work/$1/log" | grep -E '^(packet [0-9]+:|upload applied)'
}

start_sim linux
link=$(head -n1 "$work/linux/link")
XDG_RUNTIME_DIR=$work/linux/run XDG_DATA_HOME=$work/linux/data QT_QPA_PLATFORM=offscreen \
    ORVEL_E2E_PORT=$link ORVEL_E2E_OUT=$work/linux/out "$linux/tests/com_port_test"

start_sim windows
pty=$(readlink -f "$(head -n1 "$work/windows/link")")
wine_prefix "$work/wine"
ln -sf "$pty" "$WINEPREFIX/dosdevices/com5"
# The run takes the program's own folder: its DLLs, plugins and qt.conf.
app=$work/app
cp -r "$winbuild/dist/Orvel" "$app"
cp "$winbuild/com_port_test.exe" "$app/"
mkdir -p "$app/platforms"
cp "$ORVEL_WINDOWS_PREFIX/plugins/platforms/qoffscreen.dll" "$app/platforms/"
cp "$ORVEL_WINDOWS_PREFIX/bin/Qt6Test.dll" "$app/"
wine_offscreen
status=0
ORVEL_E2E_PORT=COM5 ORVEL_E2E_OUT=$(winepath -w "$work/windows/out") \
    wine "$app/com_port_test.exe" -o "$(winepath -w "$work/windows/report.txt"),txt" || status=$?
wineserver -w
cat "$work/windows/report.txt"
[ "$status" -eq 0 ] || exit "$status"

cmp "$work/linux/out/lido.txt" "$work/windows/out/lido.txt"
received linux >"$work/linux.received"
received windows >"$work/windows.received"
[ "$(grep -c '^packet' "$work/windows.received")" -eq 32 ] || {
    echo "the simulator did not receive 32 packets from the Windows program" >&2
    exit 1
}
grep -qx 'upload applied' "$work/windows.received"
diff "$work/linux.received" "$work/windows.received"
echo "The Windows program read, saved, sent and recorded through COM5 as the Linux one did."
