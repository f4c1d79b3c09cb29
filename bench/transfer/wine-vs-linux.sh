#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole-image transfer through Wine against the same on Linux: one simulated radio pacing
# its line at 9600 baud on a pseudo-terminal; the Linux build reads it by its device path, the
# Windows build (under Wine, in a fresh prefix) as COM3. Needs build/default (port_transfer_bench,
# wr7310-radiosim) and build/mingw (port_transfer_bench.exe).
# Usage: bench/transfer/wine-vs-linux.sh [RUNS] [read|write|both]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
what="${2:-read}"
state="$(mktemp)"
bash tests/windows/wine-prefix.sh create "$state" >/dev/null
prefix="$(cat "$state")"
build/default/bin/wr7310-radiosim --link "$prefix/radio3" >/dev/null &
sim=$!
cleanup() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    bash tests/windows/wine-prefix.sh remove "$state"
    rm -f "$state"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "$prefix/radio3" ] && break; sleep 0.1; done
export WR7310_WINE_STATE="$state"
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true # Wine up before the first measurement
for run in $(seq "$runs"); do
    echo "run $run"
    printf '  Linux  '
    build/default/bin/port_transfer_bench "$prefix/radio3" "$what"
    printf '  Wine   '
    scripts/wine-run.sh build/mingw/bin/port_transfer_bench.exe COM3 "$what" | tr -d '\r'
done
