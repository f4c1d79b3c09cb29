#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the simulated radio and lets the
# command-line tool find it and check its firmware version.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target wr7310 wr7310-radiosim

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

# The simulated radio prints its device and places a link to it once it answers.
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

"$bin/wr7310" --ini "$work/wr7310.ini" --port "$radio" probe
