#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# installer-e2e.sh SETUP_EXE: the Windows installer under Wine, in a fresh prefix on a display
# of its own. A silent install (/S) lays out the programs, the tool, the help page and the
# default settings in "Program Files\WR7310", the Start-menu shortcuts, both models' file
# types and the Apps & features entry; a radio file of each model opens in its program
# through its file type; a silent uninstall removes what was installed, and leaves the
# user's own settings and backups alone.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
setup="$1"
if [ "${2:-}" != --inner ]; then
    [ -s "$setup" ] || { echo "no installer at $setup: run scripts/windows-installer.sh" >&2; exit 1; }
    outer="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-setup.XXXXXX")"
    trap 'bash "$here/wine-prefix.sh" remove "$outer/prefix.txt"; rm -rf "$outer"' EXIT
    bash "$here/wine-prefix.sh" create "$outer/prefix.txt" || exit 1
    WR7310_WINE_STATE="$outer/prefix.txt" xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash "$0" "$setup" --inner
    exit $?
fi

prefix="$(cat "$WR7310_WINE_STATE")"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64)"
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server="$(command -v wineserver)"
work="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-inst.XXXXXX")"
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
dir="$prefix/drive_c/Program Files/WR7310"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/WR7310"
user="$(ls -d "$prefix"/drive_c/users/*/AppData | grep -v /Public/ | head -n 1)"

failures=0
pass() { echo "ok   $1"; }
fail() {
    echo "FAIL $1: $2"
    failures=$((failures + 1))
}
check() {
    local what="$1"
    shift
    if "$@"; then pass "$what"; else fail "$what" "$*"; fi
}
# reg KEY VALUE: the registry value's data ("" for the default value), empty when missing.
reg() {
    local opt=(/v "$2")
    [ -z "$2" ] && opt=(/ve)
    "$loader" reg query "$1" "${opt[@]}" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *[^ ]* *REG_[A-Z_]* *//p' | head -n 1
}
wait_window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" >/dev/null 2>&1; }
installed=(bin/WR7310SXtra.exe bin/WR7310S.exe bin/wr7310.exe share/doc/wr7310/WR7310S.html
           share/wr7310/WR7310SXtra.ini share/wr7310/WR7310S.ini Uninstall.exe)

"$loader" "$setup" /S
check "silent install succeeds" test $? -eq 0
"$server" -w
for f in "${installed[@]}"; do check "installed: $f" test -s "$dir/$f"; done
for l in WR7310SXtra WR7310S "WR7310 Help" "Uninstall WR7310"; do
    check "Start menu: $l" test -s "$menu/$l.lnk"
done
classes='HKLM\Software\Classes'
check ".wr73 is a WR7310SXtra file" test "$(reg "$classes\\.wr73" "")" = WR7310.WR7310SXtra
check ".w73 is a WR7310S file" test "$(reg "$classes\\.w73" "")" = WR7310.WR7310S
for p in WR7310SXtra WR7310S; do
    check "$p opens its files" test "$(reg "$classes\\WR7310.$p\\shell\\open\\command" "")" \
        = "\"C:\\Program Files\\WR7310\\bin\\$p.exe\" \"%1\""
    check "$p's files have its icon" test "$(reg "$classes\\WR7310.$p\\DefaultIcon" "")" \
        = "C:\\Program Files\\WR7310\\bin\\$p.exe,0"
done
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\WR7310'
check "listed in Apps & features" test -n "$(reg "$key" DisplayName)"
check "with its uninstaller" test "$(reg "$key" UninstallString)" \
    = '"C:\Program Files\WR7310\Uninstall.exe"'

# A radio file of each model, opened by its file type (the shell's "open").
printf '[FreqRange]\r\nMinFreq=400\r\nMaxFreq=470\r\n' >"$work/tool.ini"
"$loader" "$dir/bin/wr7310.exe" --ini "$(winpath "$work/tool.ini")" new -o "$(winpath "$work/fleet.wr73")" >/dev/null 2>&1
check "the installed tool makes a radio file" test -s "$work/fleet.wr73"
"$loader" "$dir/bin/wr7310.exe" --ini "$(winpath "$work/tool.ini")" new -o "$(winpath "$work/old.w73")" >/dev/null 2>&1
for f in fleet.wr73:WR7310SXtra old.w73:WR7310S; do
    file="${f%%:*}"
    "$loader" start /unix "$work/$file" >/dev/null 2>&1 &
    if wait_window "^$file - ${f##*:}\$"; then
        pass "$file opens in the installed ${f##*:}"
    else
        fail "$file opens in the installed ${f##*:}" "shown: $(for id in $(xdotool search \
            --onlyvisible --name '' 2>/dev/null); do printf '"%s" ' "$(xdotool getwindowname "$id")"; done)"
        [ -z "${WR7310_SHOTS:-}" ] || import -window root "$WR7310_SHOTS/installer-$file.png"
    fi
done
"$server" -k
"$server" -w

# What users keep: settings and backups stay after the uninstall.
mkdir -p "$user/Roaming/wr7310" "$user/Local/wr7310/backups"
echo "[COM PORT]" >"$user/Roaming/wr7310/WR7310SXtra.ini"
echo "image" >"$user/Local/wr7310/backups/WR7310SXtra-1.wr73"
echo "[COM PORT]" >"$dir/bin/WR7310S.ini" # beside the program, where a writable folder keeps it

"$loader" "$dir/Uninstall.exe" /S
"$server" -w # the uninstaller runs on from a copy of itself
for f in "${installed[@]}"; do check "removed: $f" test ! -e "$dir/$f"; done
check "Start-menu folder removed" test ! -e "$menu"
check ".wr73 no longer a WR7310SXtra file" test -z "$(reg "$classes\\WR7310.WR7310SXtra\\shell\\open\\command" "")"
check ".w73 no longer a WR7310S file" test -z "$(reg "$classes\\.w73" "")"
check "gone from Apps & features" test -z "$(reg "$key" DisplayName)"
check "the user's settings stay" test -s "$user/Roaming/wr7310/WR7310SXtra.ini"
check "the user's backups stay" test -s "$user/Local/wr7310/backups/WR7310SXtra-1.wr73"
check "settings beside the program stay" test -s "$dir/bin/WR7310S.ini"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
