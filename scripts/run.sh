#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: installs what is missing, builds, starts the simulated radio and opens the
# desktop program attached to it (press Ctrl+R to read the radio). On a machine without a
# display it says so and runs the command-line flow instead: read the radio into a radio file
# and show what it holds.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target wr7310 wr7310-radiosim WR7310SXtra

bin=build/default/bin
work="$(mktemp -d)"
radio="$work/radio"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A settings file of the demo's own, so that the user's is left alone.
ini="$work/WR7310SXtra.ini"
printf '[FreqRange]\nMinFreq=400\nMaxFreq=470\n' >"$ini"

# The simulated radio prints its device and places a link to it once it answers. It paces
# its replies at the real cable's 9600 baud.
"$bin/wr7310-radiosim" --link "$radio" >"$work/device" &
sim_pid=$!
for _ in $(seq 50); do
    [ -L "$radio" ] && break
    sleep 0.1
done
if [ ! -L "$radio" ]; then
    echo "run.sh: the simulated radio did not start" >&2
    exit 1
fi
echo "Simulated radio on $(cat "$work/device") (linked as $radio)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting WR7310SXtra; press Ctrl+R (Programming > Read) to read the simulated radio."
    "$bin/WR7310SXtra" --ini "$ini" --port "$radio"
    exit 0
fi

echo "No display here (DISPLAY and WAYLAND_DISPLAY are empty): running the command-line flow."
mkdir -p out
"$bin/wr7310" --ini "$ini" --port "$radio" probe
"$bin/wr7310" --ini "$ini" --port "$radio" read -o out/radio.wr73
echo "Saved the radio's image as out/radio.wr73:"
"$bin/wr7310" --ini "$ini" show out/radio.wr73
