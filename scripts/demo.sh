#!/bin/sh
# Installs what is needed, builds, starts the simulated module in the background
# and then the program. The simulated module ends when the program ends.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build -DORVEL_WERROR=ON
"$root/build/orvel-module-sim" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
sleep 0.5
"$root/build/orvel"
