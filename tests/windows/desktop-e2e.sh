#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# desktop-e2e.sh SIM RUNNER TOOL_EXE PROGRAM_EXE [SHOTS_DIR]: one Windows desktop program end to
# end under Wine, in a fresh prefix of its own, on a display of its own (Xvfb), against
# simulated radios of its model on COM3 to COM6 (with-radios.sh). It starts and shows its main
# window; Programming > Read (Ctrl+R) with --port 3 reads the radio although the settings name
# COM4; Save writes what the radio holds; Write sends the frames the tool sends; a file named on
# the command line opens, the other model's file is refused; --print-pdf prints every section;
# usage reaches the console. The tool (TOOL_EXE through RUNNER) gives the reference: what the
# radio holds and what a write sends. SHOTS_DIR, when given, keeps the screenshots.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ "${1:-}" != --inner ]; then
    sim="$1"
    case "$(basename "$4")" in
    WR7310S.exe) export WR7310_SIM_MODEL=old ;;
    *) export WR7310_SIM_MODEL=xtra ;;
    esac
    outer="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-desktop.XXXXXX")"
    trap 'bash "$here/wine-prefix.sh" remove "$outer/prefix.txt"; rm -rf "$outer"' EXIT
    bash "$here/wine-prefix.sh" create "$outer/prefix.txt" || exit 1
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash "$here/with-radios.sh" "$sim" "$outer/prefix.txt" bash "$0" --inner "$@"
    exit $?
fi

shift
runner="$2"
tool="$3"
program="$4"
shots="${5:-}"
name="$(basename "$program" .exe)"
case "$name" in
WR7310S) ext=.w73 other=.wr73 ;;
*) ext=.wr73 other=.w73 ;;
esac
log3="$WR7310_SIM_DIR/com3.log"
prefix="$(cat "$WR7310_WINE_STATE")"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64)"
work="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-desk.XXXXXX")"
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# The command line's --port 3 must win over the settings' COM4 (a radio that stops).
printf '[FreqRange]\r\nMinFreq=400\r\nMaxFreq=470\r\n[COM PORT]\r\nComPort=4\r\n' >"$work/$name.ini"
ini="$(winpath "$work/$name.ini")"

failures=0
pass() { echo "ok   $1"; }
fail() {
    echo "FAIL $1: $2"
    failures=$((failures + 1))
}
check() { # NAME COMMAND...: passes when the command succeeds
    local what="$1"
    shift
    if "$@"; then pass "$what"; else fail "$what" "$*"; fi
}
mark() { mark_lines=$(wc -l <"$log3"); }
frames() { tail -n +"$((mark_lines + 1))" "$log3"; }
# The tool runs on the test's display: the Wine server it starts serves the program after it,
# and a server started without a display would show that program nowhere.
tool_run() { "$loader" "$tool" --ini "$ini" --no-backup "$@" >"$work/tool.out" 2>&1; }

# The X window, shown, whose title matches a pattern; waits up to 60 s.
wait_window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
# A shown window with a title that was not in the list given; waits up to 60 s. (Wine also
# shows untitled helper windows.)
wait_new_window() {
    local id end=$((SECONDS + 60))
    while [ $SECONDS -lt $end ]; do
        for id in $(shown); do
            case " $1 " in *" $id "*) continue ;; esac
            [ -n "$(xdotool getwindowname "$id" 2>/dev/null)" ] && { echo "$id"; return 0; }
        done
        sleep 0.5
    done
    return 1
}
shown() { xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' '; }
# Presses keys in a window (it gets the keyboard focus first).
keys() {
    local id="$1"
    shift
    timeout 5 xdotool windowfocus --sync "$id" 2>/dev/null || true
    sleep 0.3
    xdotool key --delay 80 "$@"
}
# Waits until the radio has ended a transfer begun after the mark (up to 60 s).
wait_end() {
    local end=$((SECONDS + 60))
    while [ $SECONDS -lt $end ]; do
        frames | grep -q '^end: 99$' && return 0
        sleep 0.2
    done
    return 1
}
# Whether a window's title becomes the one given within 30 s.
titled() {
    local end=$((SECONDS + 30))
    while [ $SECONDS -lt $end ]; do
        [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.2
    done
    return 1
}
# A screenshot shows a drawn window, not an empty one: many colours.
drawn() { [ "$(convert "$1" -format '%k' info:)" -gt 50 ]; }
shot() { # WINDOW NAME
    import -window "$1" "$work/$2.png" 2>/dev/null
    [ -z "$shots" ] || cp "$work/$2.png" "$shots/$name-$2.png"
}
start() { # ARGS...: the program in the background
    "$loader" "$program" --ini "$ini" "$@" >"$work/prog.out" 2>"$work/prog.err" &
    pid=$!
}
stop() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

# One file that runs alone: a GUI program (no console window opens) that imports the system's
# DLLs only, neither Qt's nor the compiler's.
headers="$(x86_64-w64-mingw32-objdump -p "$program")"
check "a Windows GUI program" grep -q '^Subsystem.*(Windows GUI)' <<<"$headers"
check "no Qt or compiler DLL needed" test -z "$(grep 'DLL Name:' <<<"$headers" |
    grep -iE 'qt6|libstdc|libgcc|libwinpthread')"

# What the radio holds and the frames of a read, by the tool.
mark
tool_run --port 3 read -o "$(winpath "$work/radio$ext")"
check "the tool reads the radio" test -s "$work/radio$ext"
frames | grep '^read: ' >"$work/tool-read"

# Start-up: the main window with the new document's title, drawn.
t0=$(date +%s%N)
start --port 3
if main="$(wait_window "^RadioFile - $name\$")"; then
    echo "start-up under Wine: $((($(date +%s%N) - t0) / 1000000)) ms"
    pass "main window shown"
    sleep 1
    shot "$main" main
    check "main window drawn" drawn "$work/main.png"
else
    import -window root "$work/screen.png" 2>/dev/null
    [ -z "$shots" ] || cp "$work/screen.png" "$shots/$name-screen.png"
    fail "main window shown" "no window titled \"RadioFile - $name\"; shown: $(for id in $(shown); do
        printf '"%s" ' "$(xdotool getwindowname "$id")"
    done); $(cat "$work/prog.err")"
    exit 1
fi

# Read through the keyboard: Ctrl+R, OK in "Read from Radio", OK in the message.
mark
before="$(shown)"
keys "$main" ctrl+r
if dlg="$(wait_window '^Read from Radio$')"; then
    keys "$dlg" Return
    wait_end
    if msg="$(wait_new_window "$before $dlg")"; then
        sleep 1
        shot root read-message
        keys "$msg" Return
    fi
fi
frames | grep '^read: ' >"$work/gui-read"
check "read on COM3: the frames the tool sends" cmp -s "$work/tool-read" "$work/gui-read"
# The form then bears the read's caption.
check "read: the form's caption" titled "$main" "Read from Radio"
sleep 1
shot "$main" read
backups=("$prefix"/drive_c/users/*/AppData/Local/wr7310/backups/"$name"-*"$ext")
check "read kept a backup below LOCALAPPDATA" test -s "${backups[0]}"

# Save (Ctrl+S): a new document asks for a name; the file is what the radio holds.
before="$(shown)"
keys "$main" ctrl+s
if dlg="$(wait_new_window "$before")"; then
    sleep 1
    xdotool key ctrl+a
    xdotool type --delay 20 "$(winpath "$work/saved$ext")"
    xdotool key Return
    for _ in $(seq 100); do
        [ -s "$work/saved$ext" ] && break
        sleep 0.1
    done
fi
sleep 0.5
check "save writes what the radio holds" cmp -s "$work/radio$ext" "$work/saved$ext"
check "save: the title names the file" titled "$main" "saved$ext - $name"

# Write (Ctrl+W): the frames the tool sends for the same file, then the end of the transfer.
mark
before="$(shown)"
keys "$main" ctrl+w
if dlg="$(wait_window '^Write to Radio$')"; then
    keys "$dlg" Return
    wait_end
    msg="$(wait_new_window "$before $dlg")" && keys "$msg" Return
fi
frames | grep '^write: ' >"$work/gui-write"
check "write ends the transfer" test "$(frames | tail -n 1)" = "end: 99"
stop
mark
tool_run --port 3 write "$(winpath "$work/saved$ext")"
frames | grep '^write: ' >"$work/tool-write"
check "write sends the frames the tool sends" test -s "$work/gui-write"
check "write: same frames as the tool" cmp -s "$work/tool-write" "$work/gui-write"

# A radio file named on the command line opens.
start "$(winpath "$work/saved$ext")"
if win="$(wait_window "^saved$ext - $name\$")"; then
    pass "a file on the command line opens"
    sleep 1
    shot "$win" open
else
    fail "a file on the command line opens" "$(cat "$work/prog.err")"
fi
stop

# Printing without a window: every section of the report.
"$loader" "$program" --ini "$ini" --print-pdf "$(winpath "$work/out.pdf")" \
    "$(winpath "$work/saved$ext")" >"$work/prog.out" 2>"$work/prog.err"
check "--print-pdf succeeds" test $? -eq 0
pdftotext -layout "$work/out.pdf" "$work/out.txt" 2>/dev/null
# The newer program's printout is titled with its name, the older one's with the file's.
title="$name Programming Software"
[ "$name" = WR7310S ] && title="saved$ext"
for section in "$title" "Radio Info" "Feature Switch" "Feature Setting" "Channel Setting"; do
    check "the printout has \"$section\"" grep -qF "$section" "$work/out.txt"
done
[ -z "$shots" ] || cp "$work/out.pdf" "$shots/$name.pdf"

# The other model's file is refused: on the console when printing, in a message otherwise,
# and the program ends with status 1.
tool_run new -o "$(winpath "$work/other$other")"
"$loader" "$program" --ini "$ini" --print-pdf "$(winpath "$work/refused.pdf")" \
    "$(winpath "$work/other$other")" >"$work/prog.out" 2>"$work/prog.err"
check "the other model's file: status 1" test $? -eq 1
check "the other model's file: a message on the console" grep -q "other$other" "$work/prog.err"
check "the other model's file: no printout" test ! -e "$work/refused.pdf"
before="$(shown)"
start "$(winpath "$work/other$other")"
if msg="$(wait_new_window "$before")"; then
    sleep 1
    shot root refused
    keys "$msg" Return
fi
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "the other model's file ends the program" "still running; message window $msg \"$(xdotool getwindowname "$msg")\"; shown: $(for id in $(shown); do printf '%s "%s" ' "$id" "$(xdotool getwindowname "$id")"; done)"
    stop
else
    wait "$pid" 2>/dev/null
    check "the other model's file ends the program with status 1" test $? -eq 1
fi

# Usage goes to the console the program was started from.
"$loader" "$program" --no-such-option >"$work/prog.out" 2>"$work/prog.err"
check "usage reaches the console" grep -qF -- "--print-pdf" "$work/prog.err"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
