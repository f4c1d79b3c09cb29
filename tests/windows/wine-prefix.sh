#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# wine-prefix.sh create|remove STATE_FILE: makes a fresh Wine prefix in a temporary folder for
# one test run and writes its path to STATE_FILE, or shuts that prefix's Wine down and removes
# it. COM1 and COM2 are left without a device, so a port scan meets missing ports first.
set -euo pipefail
action="$1"
state="$2"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64)"
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server="$(command -v wineserver)"

case "$action" in
create)
    if [ -s "$state" ] && [ -d "$(cat "$state")" ]; then
        WINEPREFIX="$(cat "$state")" "$server" -k 2>/dev/null || true
        rm -rf "$(cat "$state")"
    fi
    prefix="$(mktemp -d "${TMPDIR:-/tmp}/wr7310-wine.XXXXXX")"
    export WINEPREFIX="$prefix"
    start=$SECONDS
    "$loader" wineboot -i >/dev/null 2>&1 || true
    # COM1 and COM2 stay without a device, whatever serial ports this machine has; COM3 to
    # COM6 are links in the prefix that with-radios.sh points at simulated radios. Wine's
    # mount manager rebuilds the COM links from this at every start.
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM1"=""\r\n"COM2"=""\r\n'
        for n in 3 4 5 6; do printf '"COM%s"="%s/radio%s"\r\n' "$n" "$prefix" "$n"; done
    } >"$prefix/ports.reg"
    "$loader" regedit /S "$(printf 'Z:%s' "${prefix//\//\\}")\\ports.reg" >/dev/null 2>&1 || true
    "$server" -w
    rm -f "$prefix"/dosdevices/com*
    for n in 3 4 5 6; do ln -sfn "$prefix/radio$n" "$prefix/dosdevices/com$n"; done
    [ -d "$prefix/drive_c/windows" ] || { echo "wineboot failed in $prefix" >&2; exit 1; }
    echo "$prefix" >"$state"
    echo "Wine prefix $prefix ready in $((SECONDS - start)) s"
    ;;
remove)
    [ -s "$state" ] || exit 0
    prefix="$(cat "$state")"
    WINEPREFIX="$prefix" "$server" -k 2>/dev/null || true
    WINEPREFIX="$prefix" "$server" -w 2>/dev/null || true
    case "$prefix" in
    */wr7310-wine.*) rm -rf "$prefix" ;;
    esac
    rm -f "$state"
    ;;
*)
    echo "usage: wine-prefix.sh create|remove STATE_FILE" >&2
    exit 2
    ;;
esac
