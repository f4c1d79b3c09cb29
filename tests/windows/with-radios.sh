#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# with-radios.sh SIM STATE_FILE COMMAND...: runs COMMAND while simulated radios answer as COM
# ports of the test run's Wine prefix:
#   COM3  a radio as it should be (frames logged to $WR7310_SIM_DIR/com3.log)
#   COM4  a radio that stops answering at the block holding 0x100
#   COM5  a radio that answers only after 1500 ms, later than any deadline
#   COM6  a slow radio (20 ms before every reply): a write takes seconds (frames: com6.log)
# COM1 and COM2 have no device. WR7310_SIM_DIR holds the logs. The radios are of the newer
# model unless WR7310_SIM_MODEL names another (--model of the simulated radio).
set -euo pipefail
sim="$1"
state="$2"
shift 2
prefix="$(cat "$state")"
dir="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-radios.XXXXXX")"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$dir"
}
trap cleanup EXIT

start_radio() { # PORT OPTIONS...
    local port="$1"
    shift
    # The prefix's COMn is a link to radioN in the prefix (see wine-prefix.sh).
    "$sim" --baud 0 ${WR7310_SIM_MODEL:+--model "$WR7310_SIM_MODEL"} --link "$prefix/radio$port" --log "$dir/com$port.log" "$@" \
        >"$dir/com$port.dev" 2>"$dir/com$port.err" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$dir/com$port.dev" ] && break
        sleep 0.05
    done
    [ -s "$dir/com$port.dev" ] || {
        echo "radio for COM$port did not start" >&2
        cat "$dir/com$port.err" >&2
        exit 1
    }
}

start_radio 3
start_radio 4 --stop-at 0x100
start_radio 5 --delay 1500
start_radio 6 --delay 20

export WR7310_SIM_DIR="$dir"
export WR7310_WINE_STATE="$state"
set +e
"$@"
status=$?
set -e
exit $status
