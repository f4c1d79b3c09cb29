#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How a Linux desktop meets an installed tree:
#
#   check_desktop_integration.sh ROOT [system]
#
# ROOT is an installation prefix with the desktop programs. Without "system" the tree's MIME
# types and desktop entries go into a private database first; with it (the package has been
# installed into /usr) the system's databases, which the package's scripts update, answer.
# - a radio file of each model is known as that model's type, by its extension and, without
#   one, by the signature at its start; each type opens in its own program;
# - a desktop program run by the installing user (root here) and ended as a session ends it
#   writes its settings into the user's folder and nothing beside itself.
set -uo pipefail
root=$(realpath "$1")
system=${2:-}
export LC_ALL=C.UTF-8
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
faults=0
fault() {
    echo "FAULT: $*"
    faults=$((faults + 1))
}
# Whatever desktop this runs on, xdg-mime asks the shared MIME database itself.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
if [[ $system != system ]]; then
    data=$scratch/data
    mkdir -p "$data/mime/packages" "$data/applications"
    cp "$root"/share/mime/packages/*.xml "$data/mime/packages/"
    cp "$root"/share/applications/*.desktop "$data/applications/"
    update-mime-database "$data/mime" || fault "update-mime-database failed"
    update-desktop-database "$data/applications" || fault "update-desktop-database failed"
    export XDG_DATA_HOME=$data XDG_DATA_DIRS=$data:/usr/share
fi

# --- radio files as file managers see them -------------------------------------------------
home=$scratch/home
mkdir -p "$home"
tool() { env HOME="$home" "$root/bin/wr7310" "$@" >/dev/null; }
tool new -o "$scratch/radio.wr73" && tool --model old new -o "$scratch/radio.w73" ||
    fault "the tool made no radio files"
cp "$scratch/radio.wr73" "$scratch/xtra-radio"
cp "$scratch/radio.w73" "$scratch/old-radio"
# file | its type
cases=(
    "radio.wr73|application/x-wr7310sxtra"
    "radio.w73|application/x-wr7310s"
    "xtra-radio|application/x-wr7310sxtra"
    "old-radio|application/x-wr7310s"
)
for c in "${cases[@]}"; do
    IFS='|' read -r file want <<<"$c"
    got=$(xdg-mime query filetype "$scratch/$file" 2>&1)
    [[ $got == "$want" ]] || fault "$file is of type '$got', not $want"
done
for p in WR7310SXtra WR7310S; do
    got=$(xdg-mime query default "application/x-${p,,}" 2>&1)
    [[ $got == "$p.desktop" ]] || fault "application/x-${p,,} opens in '$got', not $p.desktop"
done

# --- a run as root leaves the programs' folder as it was ----------------------------------
listing() { find "$root/bin" -printf '%P %s %T@\n' | sort; }
before=$(listing)
# Ended by SIGTERM, as a session ends it, once it had time to start.
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
    timeout -s TERM 5 "$root/bin/WR7310SXtra" "$scratch/radio.wr73" >/dev/null 2>&1
[[ $(listing) == "$before" ]] || fault "the program changed $root/bin: $(diff <(echo "$before") <(listing))"
grep -q "^ComPort=" "$home/.config/wr7310/WR7310SXtra.ini" 2>/dev/null ||
    fault "the program did not save its settings in ~/.config/wr7310/"

echo "$root on the desktop: $faults faults"
exit $((faults > 100 ? 100 : faults))
