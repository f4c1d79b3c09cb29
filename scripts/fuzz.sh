#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer harnesses (preset "fuzz") and runs each for a bounded time on a copy of
# its seed corpus in tests/fuzz/corpus/. Any finding (a crash, a sanitizer report, a violated
# property) fails the run; the input that found it is kept under build/fuzz/findings/.
# Usage: scripts/fuzz.sh [SECONDS_PER_HARNESS]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
# Every harness tests/fuzz/CMakeLists.txt declares, each with its corpus folder.
mapfile -t harnesses < <(sed -n 's/^wr7310_add_fuzzer(\(.*\))$/\1/p' tests/fuzz/CMakeLists.txt)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${harnesses[@]}"

work=build/fuzz/run
findings=build/fuzz/findings
rm -rf "$work"
mkdir -p "$work" "$findings"
status=0
for h in "${harnesses[@]}"; do
    mkdir -p "$work/$h"
    cp tests/fuzz/corpus/"$h"/* "$work/$h"/
    log="$work/$h.log"
    if build/fuzz/bin/"$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$findings/$h-" "$work/$h" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$h: ${runs:-?} executions in ${seconds} s, no finding"
    else
        status=1
        echo "$h: FINDING (input kept in $findings/)" >&2
        tail -n 40 "$log" >&2
    fi
done
exit "$status"
