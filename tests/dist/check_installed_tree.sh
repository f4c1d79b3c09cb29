#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a tree laid down by `cmake --install` (or unpacked from the Debian package):
#
#   check_installed_tree.sh ROOT [GUI]      ROOT: the installation prefix; GUI: 1 when the
#                                           desktop programs were built (default 1)
#
# the file list, the licence, the udev rule's vendor ids, the manuals (rendered without a
# warning), the AppStream metadata (validated), the desktop files, and the default settings,
# which the tool must read for a user with an empty home folder. Each fault is printed on its
# own line. (check_desktop_integration.sh tries the tree on a desktop.)
set -uo pipefail
root=$(realpath "$1")
gui=${2:-1}
export LC_ALL=C.UTF-8
faults=0
fault() {
    echo "FAULT: $*"
    faults=$((faults + 1))
}

# --- file list ---------------------------------------------------------------------------
expected=(
    bin/wr7310
    bin/wr7310-radiosim
    lib/udev/rules.d/60-wr7310.rules
    share/man/man1/wr7310.1.gz
    share/man/man1/wr7310-radiosim.1.gz
    share/bash-completion/completions/wr7310
    share/wr7310/WR7310SXtra.ini
    share/wr7310/WR7310S.ini
    share/wr7310/wr7310-settings.schema.json
    share/doc/wr7310/WR7310S.html
    share/doc/wr7310/copyright
    share/doc/wr7310/changelog.gz
)
gui_files=()
if [[ $gui == 1 ]]; then
    for p in WR7310SXtra WR7310S; do
        lc=${p,,}
        gui_files+=(
            "bin/$p"
            "share/man/man1/$p.1.gz"
            "share/applications/$p.desktop"
            "share/icons/hicolor/scalable/apps/$p.svg"
            "share/icons/hicolor/48x48/apps/$p.png"
            "share/metainfo/org.example.wr7310.$lc.metainfo.xml"
        )
    done
    gui_files+=(share/mime/packages/wr7310.xml)
fi
for f in "${expected[@]}" "${gui_files[@]}"; do
    [[ -f $root/$f ]] || fault "missing $f"
done
for f in "$root"/bin/*; do
    [[ -x $f ]] || fault "not executable: ${f#"$root"/}"
done
# Nothing else is installed: every file is one of the expected ones.
while IFS= read -r f; do
    printf '%s\n' "${expected[@]}" "${gui_files[@]}" | grep -qx -- "$f" >/dev/null ||
        fault "unexpected file $f"
done < <(cd "$root" && find . -type f | sed 's|^\./||' | sort)

# --- licence -------------------------------------------------------------------------------
copyright=$root/share/doc/wr7310/copyright
grep -qx "License: GPL-3+" "$copyright" && grep -qF "/usr/share/common-licenses/GPL-3" "$copyright" ||
    fault "the copyright file does not give the GPL version 3 or later"
grep -qE "@[A-Z_]+@" "$copyright" && fault "the copyright file holds a placeholder"
version=$(env -i "$root/bin/wr7310" --version | head -n 1)
[[ $(zcat "$root/share/doc/wr7310/changelog.gz" | head -n 1) == "wr7310 (${version#wr7310 }) "* ]] ||
    fault "the changelog's first entry is not of ${version}"

# --- udev rule -----------------------------------------------------------------------------
rule=$root/lib/udev/rules.d/60-wr7310.rules
# vendor id and chip family: each must get the seat user's access and ModemManager's leave
vendors=("0403 FTDI" "067b Prolific PL2303" "10c4 Silicon Labs CP210x" "1a86 WCH CH340/CH341")
for v in "${vendors[@]}"; do
    id=${v%% *}
    line=$(grep -v '^[[:space:]]*#' "$rule" | grep -F "ATTRS{idVendor}==\"$id\"")
    [[ -n $line ]] || { fault "udev rule: no match for ${v#* } ($id)"; continue; }
    for want in 'TAG+="uaccess"' 'ENV{ID_MM_DEVICE_IGNORE}="1"' 'SUBSYSTEMS=="usb"'; do
        grep -qF -- "$want" <<<"$line" || fault "udev rule for $id lacks $want"
    done
done
# The rule must see tty devices only, and its tag must come before logind's seat rules (73).
grep -qx 'SUBSYSTEM!="tty", GOTO="wr7310_end"' "$rule" || fault "udev rule does not keep to tty devices"
grep -qx 'LABEL="wr7310_end"' "$rule" || fault "udev rule: its GOTO label is missing"
grep -qE 'MODE=|GROUP=' "$rule" && fault "udev rule changes modes or groups instead of tagging"

# --- manuals -------------------------------------------------------------------------------
for page in "$root"/share/man/man1/*.1.gz; do
    out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $out ]] || fault "$(basename "$page") renders with warnings: $out"
    text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
    for section in NAME SYNOPSIS DESCRIPTION; do
        grep -qx "$section" <<<"$text" || fault "$(basename "$page") has no $section section"
    done
    zgrep -qF "wr7310 @" "$page" && fault "$(basename "$page") still holds a placeholder"
done
for page in wr7310 WR7310SXtra WR7310S; do
    [[ -f $root/share/man/man1/$page.1.gz ]] || continue
    text=$(MANWIDTH=200 man -l "$root/share/man/man1/$page.1.gz" 2>/dev/null)
    # The settings-file search order, and the installed default's place.
    for want in "XDG_CONFIG_HOME" "share/wr7310/" "XDG_DATA_DIRS" "60-wr7310.rules"; do
        grep -qF -- "$want" <<<"$text" || fault "$page.1 does not mention $want"
    done
done
grep -qx "EXIT STATUS" <<<"$(MANWIDTH=80 man -l "$root/share/man/man1/wr7310.1.gz")" ||
    fault "wr7310.1 has no EXIT STATUS section"

# --- AppStream metadata and desktop files ----------------------------------------------------
if [[ $gui == 1 ]]; then
    for p in WR7310SXtra WR7310S; do
        xml=$root/share/metainfo/org.example.wr7310.${p,,}.metainfo.xml
        [[ -f $xml ]] || continue
        out=$(appstreamcli validate --no-net --pedantic --no-color "$xml" 2>&1) ||
            fault "$(basename "$xml") does not validate: $out"
        grep -q "[IWEP]: " <<<"$out" && fault "$(basename "$xml") has remarks: $out"
        for want in "<launchable type=\"desktop-id\">$p.desktop</launchable>" \
            "<binary>$p</binary>" "<content_rating" "<screenshot type=\"default\">"; do
            grep -qF -- "$want" "$xml" || fault "$(basename "$xml") lacks $want"
        done
        # The screenshot it links to is in the repository.
        shot=$(sed -nE 's|.*<image>.*/raw/main/(.*)</image>.*|\1|p' "$xml")
        [[ -n $shot && -f $WR7310_SOURCE_DIR/$shot ]] ||
            fault "$(basename "$xml") links a screenshot the repository lacks: ${shot:-none}"
        desktop=$root/share/applications/$p.desktop
        grep -qx "Exec=$p %f" "$desktop" || fault "$p.desktop does not start $p"
        grep -qx "Icon=$p" "$desktop" || fault "$p.desktop names another icon"
        grep -qx "MimeType=application/x-${p,,};" "$desktop" || fault "$p.desktop declares no type"
        out=$(desktop-file-validate "$desktop" 2>&1) || fault "$p.desktop does not validate: $out"
        grep -E "^[^:]+: (error|warning):" <<<"$out" && fault "$p.desktop has remarks: $out"
        grep -qF "<project_license>GPL-3.0-or-later</project_license>" "$xml" ||
            fault "$(basename "$xml") names no licence"
    done
fi

# --- default settings for a user with an empty home folder ---------------------------------
for p in WR7310SXtra WR7310S; do
    ini=$root/share/wr7310/$p.ini
    grep -qx "MinFreq=400" "$ini" && grep -qx "MaxFreq=470" "$ini" ||
        fault "$p.ini does not hold the range 400 to 470 MHz"
    grep -qx "Level=0" "$ini" || fault "$p.ini does not hold the basic level"
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
(
    cd "$home" || exit 1
    # The tool reads the file beside itself when its folder is writable: take that away.
    env -i HOME="$home" PATH=/usr/bin:/bin "$root/bin/wr7310" new -o new.wr73 2>&1 &&
        env -i HOME="$home" PATH=/usr/bin:/bin "$root/bin/wr7310" show new.wr73 2>&1
) >"$home/show.txt"
grep -qiE "range.*[^0-9.]400(\.0+)?[^0-9].*[^0-9.]470(\.0+)?([^0-9]|$)" "$home/show.txt" ||
    fault "a new document for a user without settings does not get the installed range: $(grep -i 'range:' "$home/show.txt")"
[[ -e $home/.config/wr7310 ]] && fault "the tool wrote a settings file into the home folder"

echo "$root: $faults faults"
exit $((faults > 100 ? 100 : faults))
