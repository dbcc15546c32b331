#!/bin/sh
# Installs what is needed, builds the program and the simulated module, starts the
# simulated module in the background and then the program. The simulated module
# ends when the program ends.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target orvel orvel-module-sim -j"$(nproc)"
# The simulated module ends at the end of its standard input; a pipe that this script
# holds open keeps it running until the program ends.
fifo=$(mktemp -u)
mkfifo "$fifo"
exec 3<>"$fifo"
rm -f "$fifo"
"$root/build/orvel-module-sim" <&3 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
# The program lists the simulated module's port first; give it a moment to publish it.
sleep 0.5
"$root/build/orvel"
