#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tool-e2e.sh RUNNER WR7310_EXE CTRL_C_AFTER_EXE: the Windows command-line tool end to end, under Wine, against
# the simulated radios of with-radios.sh (COM3 good, COM4 stops at 0x100, COM5 too late; COM1
# and COM2 missing). Every case checks the exit status, the messages and, through the radio's
# frame log, what went over the line.
set -uo pipefail
runner="$1"
exe="$2"
ctrl_c="$3" # ctrl-c-after.exe: Ctrl-C on the tool's console when told
: "${WR7310_SIM_DIR:?run through with-radios.sh}"
log3="$WR7310_SIM_DIR/com3.log"
work="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-e2e.XXXXXX")"
trap 'rm -rf "$work"' EXIT
# A folder named beyond the ANSI code page, for the files the tool reads and writes.
files="$work/J$(printf '\xc3\xbc')rgen $(printf '\xd0\x94\xd0\xbc')"
mkdir -p "$files"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
prefix="$(cat "$WR7310_WINE_STATE")"
# A Windows path on drive C: of the prefix as a path here.
unixpath() {
    local p="${1#[Cc]:}"
    printf '%s/drive_c%s' "$prefix" "${p//\\//}"
}

failures=0
pass() { echo "ok   $1"; }
fail() {
    echo "FAIL $1: $2"
    echo "  stdout: $(cat "$work/out")"
    echo "  stderr: $(cat "$work/err")"
    failures=$((failures + 1))
}
# run ARGS...: the tool with --ini in the work folder; status in $status, output in out/err.
run() {
    "$runner" "$exe" --ini "$(winpath "$work/WR7310SXtra.ini")" "$@" >"$work/out" 2>"$work/err"
    status=$?
    tr -d '\r' <"$work/out" >"$work/out.t" && mv "$work/out.t" "$work/out"
    tr -d '\r' <"$work/err" >"$work/err.t" && mv "$work/err.t" "$work/err"
}
# Lines of the COM3 radio's log added since mark.
mark() { mark_lines=$(wc -l <"$log3"); }
frames() { tail -n +"$((mark_lines + 1))" "$log3"; }
expect() { # NAME EXPECTED_STATUS TEXT_IN_STDOUT_OR_STDERR
    if [ "$status" -ne "$2" ]; then
        fail "$1" "exit status $status, expected $2"
    elif [ -n "$3" ] && ! grep -qF -- "$3" "$work/out" "$work/err"; then
        fail "$1" "no \"$3\" in the output"
    else
        pass "$1"
    fi
}
check() { # NAME CONDITION_TEXT: passes when the command after it succeeds
    local name="$1"
    shift
    if "$@"; then pass "$name"; else fail "$name" "$*"; fi
}

printf '[FreqRange]\r\nMinFreq=400\r\nMaxFreq=470\r\n[COM PORT]\r\nComPort=1\r\n' >"$work/WR7310SXtra.ini"

# Finding the radio: each way of naming the port.
while IFS='|' read -r name args want; do
    # shellcheck disable=SC2086
    run $args probe
    expect "probe $name" 0 "$want"
done <<'CASES'
on COM3|--port 3|Radio found on COM3 (\\.\COM3)
scan from COM1|--port 1|Radio found on COM3 (\\.\COM3)
scan from the settings file|--trace|Radio found on COM3 (\\.\COM3)
named device|--port COM3|Firmware version: 1.02.05
CASES

# The scan opened the missing ports 1 and 2 before COM3: the radio saw one entry sequence.
mark
run --port 1 probe
check "scan reaches the radio once" test "$(frames | grep -c '^entry: 5A C3 17 8E$')" -eq 1

# Read: the version check's two blocks, then 256 blocks of 8 bytes in address order, into a
# file in the non-ASCII folder; a backup below %LOCALAPPDATA%.
mark
run --port 3 read -o "$(winpath "$files/radio.wr73")"
expect "read" 0 "Read successfully!"
frames | grep '^read: ' >"$work/blocks"
{
    printf 'read: 52 06 68 08\nread: 52 06 70 08\n'
    seq 0 8 2040 | while read -r a; do printf 'read: 52 %02X %02X 08\n' $((a >> 8)) $((a & 255)); done
} >"$work/expected-blocks"
check "read frames: version, then 256 blocks of 8 bytes in order" cmp -s "$work/blocks" "$work/expected-blocks"
check "read file holds 2176 bytes" test "$(stat -c %s "$files/radio.wr73")" -eq 2176
backup="$(sed -n 's/^Backup: //p' "$work/err")"
check "read kept a backup below LOCALAPPDATA" test -s "$(unixpath "$backup")"
case "$backup" in
*'\AppData\Local\wr7310\backups\WR7310SXtra-'*.wr73) pass "backup name" ;;
*) fail "backup name" "$backup" ;;
esac

# The same radio read again gives the same file.
run --port 3 --no-backup read -o "$(winpath "$files/again.wr73")"
run diff "$(winpath "$files/radio.wr73")" "$(winpath "$files/again.wr73")"
expect "a second read is identical" 0 ""

# Write: 201 blocks, acknowledged; the radio's memory then reads back as the file.
mark
run --port 3 write "$(winpath "$files/radio.wr73")"
expect "write" 0 "Write successfully!"
check "write frames: 201 blocks" test "$(frames | grep -c '^write: 57 ')" -eq 201
check "write frames: 8 bytes but one of 6" test "$(frames | grep -c '^write: 57 .. .. 08 ')" -eq 200
check "write ends the transfer" test "$(frames | tail -n 1)" = "end: 99"

# Information and service functions.
run --port 3 info
expect "info" 0 "Frequency Range:   400.00000 - 470.00000 MHz"
run --port 3 tune read
expect "tune read" 0 "1.02.05"
mark
run --port 3 tune switch open
expect "tune switch" 0 ""
check "tune switch writes one byte" test "$(frames | grep -c '^write: 57 .. .. 01 ')" -eq 1

printf 'Programmed under Wine' >"$files/info.txt"
mark
run --port 3 embedded write "$(winpath "$files/info.txt")"
expect "embedded write" 0 "Complete"
check "embedded write goes in 8-byte blocks" test "$(frames | grep -c '^write: 57 .. .. 08 ')" -ge 1
run --port 3 embedded read -o "$(winpath "$files/back.txt")"
expect "embedded read" 0 "Complete Reading."
check "embedded text reads back" cmp -s "$files/info.txt" "$files/back.txt"

# Failures: a radio that stops, one that answers too late, a port that does not exist.
run --port COM4 --no-backup read -o "$(winpath "$files/stopped.wr73")"
expect "stopped radio: read error" 1 "Read error in address 100"
check "stopped radio: no file" test ! -e "$files/stopped.wr73"
run --port '\\.\COM5' probe
expect "late radio: connection error" 1 "Connection error. Please check all connections!"
run --port COM2 probe
expect "missing port: connection error" 1 "Connection error. Please check all connections!"

# Ctrl-C in the middle of a write to the slow radio on COM6: the write stops at a block, the
# radio leaves programming mode, the tool says what the radio holds and exits with 130.
log6="$WR7310_SIM_DIR/com6.log"
before=$(wc -l <"$log6")
# The go file is made from here: the tool's serial reads falter while a Wine process keeps
# opening the radio's log.
"$runner" "$ctrl_c" "$(winpath "$work/go")" "$exe" --ini "$(winpath "$work/WR7310SXtra.ini")" \
    --port 6 write "$(winpath "$files/radio.wr73")" >"$work/out" 2>"$work/err" &
tool=$!
for _ in $(seq 600); do
    [ "$(wc -l <"$log6")" -ge $((before + 40)) ] && break
    sleep 0.05
done
touch "$work/go"
wait "$tool"
status=$?
tr -d '\r' <"$work/err" >"$work/err.t" && mv "$work/err.t" "$work/err"
expect "Ctrl-C during a write" 130 "Write interrupted at address"
check "Ctrl-C: the write stopped early" test "$(tail -n +"$((before + 1))" "$log6" | grep -c '^write: 57 ')" -lt 150
check "Ctrl-C: the radio left programming mode" test "$(tail -n 1 "$log6")" = "end: 99"
run --port 6 probe
expect "Ctrl-C: the port is free again" 0 "Radio found on COM6"

if [ "$failures" -ne 0 ]; then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
