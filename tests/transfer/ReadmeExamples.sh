#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every example of README's command-line section as a user types it, through the shell,
# against simulated radios: once for the newer radio and once for the older one (each example
# with "--model old" and the ".w73" extension). Then pipelines through standard input and output
# for both models. Prints one line per example; the status is 1 when any failed.
#
# Usage: ReadmeExamples.sh WR7310 WR7310-RADIOSIM README.md
set -u
tool=$1
sim=$2
readme=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/wr7310-readme-XXXXXX") || exit 1
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0

# The examples: the lines of the section's sh blocks, continued lines joined.
examples() {
    awk '/^## The command-line tool/ { in_section = 1; next }
         /^## / { in_section = 0 }
         in_section && /^```sh/ { in_block = 1; next }
         in_block && /^```/ { in_block = 0; next }
         in_block { print }' "$readme" | sed -e ':a' -e '/\\$/N; s/\\\n//; ta'
}

# A simulated radio of the model with its device linked at PATH.
start_radio() { # MODEL PATH
    "$sim" --model "$1" --baud 0 --link "$2" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -e "$2" ] && return 0
        sleep 0.1
    done
    echo "radio at $2 did not start"
    exit 1
}

# Runs one command line in the model's folder; diff may also say "the images differ" (1).
run() { # DIR LINE
    local dir=$1 line=$2 status
    (cd "$dir/run" && PATH="$dir/bin:$PATH" XDG_DATA_HOME="$dir/data" \
        bash -o pipefail -c "$line" </dev/null >"$dir/out" 2>"$dir/err")
    status=$?
    if [ "$status" -eq 0 ] || { [ "$status" -eq 1 ] && [[ $line == *" diff "* ]]; }; then
        echo "ok      $line"
    else
        echo "FAILED  $line (status $status)"
        sed 's/^/        /' "$dir/err" | head -20
        failures=$((failures + 1))
    fi
}

# A folder with the tool (and its settings files beside it: COM1 and COM2 are simulated
# radios), the radios, and the files the examples start from.
setup() { # MODEL
    local model=$1 dir=$work/$1
    mkdir -p "$dir/bin" "$dir/run" "$dir/data"
    cp "$tool" "$dir/bin/wr7310"
    for name in radio ttyUSB0 ttyUSB1 ttyUSB2; do
        start_radio "$model" "$dir/$name"
    done
    for ini in WR7310SXtra.ini WR7310S.ini; do
        printf '[FreqRange]\nMinFreq=400\nMaxFreq=470\n[COM PORT]\nComPort=1\nDevice1=%s\nDevice2=%s\n' \
            "$dir/radio" "$dir/ttyUSB1" >"$dir/bin/$ini"
    done
    run "$dir" "wr7310 --model old new -o radio.w73"
    for name in radio before after fleet; do
        run "$dir" "wr7310 --model $model new -o $name.$([ "$model" = old ] && echo w73 || echo wr73)"
    done
}

for model in xtra old; do
    echo "--- README examples, model $model"
    setup "$model"
    dir=$work/$model
    while IFS= read -r line; do
        [ -z "$line" ] && continue
        # The fleet's cables are simulated radios.
        line=${line//\/dev\/ttyUSB/$dir\/ttyUSB}
        if [[ $line == *"| jq "* ]] && ! command -v jq >/dev/null; then
            echo "SKIPPED $line (jq is not installed)"
            continue
        fi
        if [ "$model" = old ]; then
            line=$(sed -e 's/\bwr7310 /wr7310 --model old /g' -e 's/\.wr73\b/.w73/g' <<<"$line")
        fi
        run "$dir" "$line"
    done < <(examples)

    echo "--- pipelines, model $model"
    ext=$([ "$model" = old ] && echo w73 || echo wr73)
    # Without --model: the data on standard input names the model, as a file does.
    run "$dir" "wr7310 --no-backup --model $model read -o /dev/stdout > piped.$ext"
    run "$dir" "wr7310 show - < piped.$ext | cmp - <(wr7310 show piped.$ext)"
    run "$dir" "cat piped.$ext | wr7310 dump - | cmp - <(wr7310 dump piped.$ext)"
    run "$dir" "wr7310 export - < piped.$ext | wr7310 import - --base piped.$ext -o - | cmp - piped.$ext"
    run "$dir" "cat piped.$ext | wr7310 write - --verify"
    run "$dir" "wr7310 export piped.$ext -o >(cat > exported.json); wait \$!; test -s exported.json"
    run "$dir" "wr7310 --no-backup --model $model embedded read -o - | wr7310 --model $model embedded write -"
done

echo "$failures failed"
[ "$failures" -eq 0 ]
