#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine: the toolchain's emulator for the mingw preset, and handy
# by hand (scripts/wine-run.sh build/mingw/bin/wr7310.exe --help). Inside a test run it uses
# the run's own prefix (named by the file in WR7310_WINE_STATE); otherwise WINEPREFIX, or
# Wine's default. No display is needed and no dialog appears.
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -n "${WR7310_WINE_STATE:-}" ] && [ -s "$WR7310_WINE_STATE" ]; then
    WINEPREFIX="$(cat "$WR7310_WINE_STATE")"
    export WINEPREFIX
fi
unset DISPLAY WAYLAND_DISPLAY
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64 || command -v wine)"
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server="$(command -v wineserver)"
# The server outlives this program by a few seconds; it gets no terminal or pipe of ours.
"$server" -p3 </dev/null >/dev/null 2>&1 || true
exec "$loader" "$@"
