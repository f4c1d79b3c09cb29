#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop programs on a command line, as users of other tools expect them:
#
#   check_desktop_cli.sh WR7310SXTRA WR7310S WR7310
#
# --help and --version print to standard output and end with 0 (the version with the
# licence, as the tool's does); without a display, or with one that cannot be reached, the
# program says so in one line and ends with 1 instead of aborting; a wrong option ends with 2;
# --print-pdf from a portable copy writes neither a settings file nor a recent-file list.
set -uo pipefail
tool=$(realpath "$3")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
faults=0
fault() {
    echo "FAULT: $*"
    faults=$((faults + 1))
}
no_display="no display: set DISPLAY or WAYLAND_DISPLAY, or use wr7310"
version=$("$tool" --version | head -n 1 | cut -d' ' -f2)
"$tool" --version | grep -qF "GNU GPL version 3 or later" || fault "wr7310 --version names no licence"

# Runs PROGRAM with the environment given first; sets out, err and status.
run() {
    env "$@" >"$scratch/out" 2>"$scratch/err" </dev/null
    status=$?
    out=$(<"$scratch/out")
    err=$(<"$scratch/err")
}

for prog in "$(realpath "$1")" "$(realpath "$2")"; do
    name=$(basename "$prog")
    # environment and arguments | expected status | standard output holds | standard error is
    cases=(
        "QT_QPA_PLATFORM=offscreen $prog --help|0|usage: $name [--ini FILE]|"
        "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $prog -h|0|--print-pdf OUT.pdf|"
        "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $prog --version|0|(wr7310 $version)|"
        "QT_QPA_PLATFORM=offscreen $prog --version|0|GNU GPL version 3 or later|"
        "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $prog|1||$no_display"
        "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $prog radio.wr73|1||$no_display"
        "-u WAYLAND_DISPLAY DISPLAY=:9731 QT_QPA_PLATFORM=xcb $prog|1||*$no_display"
        "QT_QPA_PLATFORM=offscreen $prog --bogus|2||usage: $name *"
    )
    for c in "${cases[@]}"; do
        IFS='|' read -r cmd want_status want_out want_err <<<"$c"
        # shellcheck disable=SC2086 # the case's words
        run $cmd
        what="'${cmd##*/}'"
        [[ $status == "$want_status" ]] || fault "$what ended with $status, not $want_status: $err"
        [[ -z $want_out || $out == *"$want_out"* ]] || fault "$what printed '$out'"
        [[ $want_status == 0 || -z $out ]] || fault "$what failed on standard output: '$out'"
        # shellcheck disable=SC2053 # the expected error may be a pattern
        [[ $err == $want_err ]] || fault "$what said '$err', not '$want_err'"
    done

    # A portable copy printing to PDF: the PDF appears, and no settings or recent files do.
    copy=$scratch/$name-copy
    mkdir -p "$copy/bin" "$copy/home"
    cp "$prog" "$copy/bin/"
    run -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_CONFIG_HOME -u XDG_DATA_HOME \
        HOME="$copy/home" "$copy/bin/$name" --print-pdf "$copy/out.pdf"
    [[ $status == 0 && -s $copy/out.pdf ]] || fault "$name --print-pdf failed ($status): $err"
    left=$(cd "$copy" && find bin home/.config home/.local -type f ! -path "bin/$name" 2>/dev/null)
    [[ -z $left ]] || fault "$name --print-pdf left files behind: $left"
done

echo "desktop command lines: $faults faults"
exit $((faults > 100 ? 100 : faults))
