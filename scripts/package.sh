#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (cpack -G DEB in build/default) and checks it: its file list, its
# computed dependencies, its scripts, lintian (no error) and the unpacked tree as the
# installed-tree test checks it. With --install it also installs the package (dpkg -i, as root
# or through sudo), runs the tool from /usr/bin, tries the installed programs on the desktop
# as root (radio file types, a run that must leave /usr/bin alone), then removes and purges
# the package and checks that nothing stays behind.
# Usage: scripts/package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
install=0
[[ ${1:-} == --install ]] && install=1
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
rm -f build/default/wr7310_*.deb
(cd build/default && cpack -G DEB >/dev/null)
debs=(build/default/wr7310_*.deb)
deb=${debs[0]}
echo "package: $deb"

fail() {
    echo "package: $*" >&2
    exit 1
}

listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in usr/bin/wr7310 usr/bin/wr7310-radiosim usr/bin/WR7310SXtra usr/bin/WR7310S \
    usr/lib/udev/rules.d/60-wr7310.rules \
    usr/share/man/man1/wr7310.1.gz usr/share/man/man1/WR7310SXtra.1.gz \
    usr/share/metainfo/org.example.wr7310.wr7310sxtra.metainfo.xml \
    usr/share/bash-completion/completions/wr7310 \
    usr/share/wr7310/WR7310SXtra.ini usr/share/applications/WR7310SXtra.desktop \
    usr/share/icons/hicolor/48x48/apps/WR7310SXtra.png usr/share/mime/packages/wr7310.xml \
    usr/share/doc/wr7310/copyright usr/share/doc/wr7310/changelog.gz; do
    grep -qx "\./$f" <<<"$listing" || fail "$f is not in the package"
done

[[ $(dpkg-deb -f "$deb" Package) == wr7310 ]] || fail "wrong package name"
[[ $(dpkg-deb -f "$deb" Section) == hamradio ]] || fail "wrong section"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(sed -E 's/ *\([^)]*\)//g; s/, */\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6; do
    grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib"
done
# The scripts: udev rules reloaded and the MIME and desktop databases updated, after
# installing and after removing.
for script in postinst postrm; do
    text=$(dpkg-deb -I "$deb" "$script") || fail "no $script"
    for want in "udevadm control --reload-rules" update-mime-database update-desktop-database; do
        grep -qF "$want" <<<"$text" || fail "$script does not run $want"
    done
done

# lintian: no error; its warnings and notes are listed.
if command -v lintian >/dev/null; then
    lintian --fail-on error --display-info "$deb" || fail "lintian finds errors"
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
WR7310_SOURCE_DIR=$PWD bash tests/dist/check_installed_tree.sh "$unpacked/usr" 1

if ((install)); then
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" dpkg -i "$deb"
    # The check leaves the machine as it found it: nothing installed stays behind for the
    # next build's tests to find.
    trap 'rm -rf "$unpacked"; "${sudo_cmd[@]}" dpkg -P wr7310 >/dev/null 2>&1 || true' EXIT
    /usr/bin/wr7310 --help >/dev/null || fail "/usr/bin/wr7310 --help failed"
    "${sudo_cmd[@]}" bash tests/dist/check_desktop_integration.sh /usr system ||
        fail "the installed programs do not meet the desktop as they should"
    home=$(mktemp -d)
    (cd "$home" && env -i HOME="$home" PATH=/usr/bin:/bin wr7310 new -o new.wr73 &&
        env -i HOME="$home" PATH=/usr/bin:/bin wr7310 show new.wr73) |
        grep -qiE "range.*[^0-9.]400(\.0+)?[^0-9].*[^0-9.]470(\.0+)?([^0-9]|$)" ||
        fail "the installed tool does not read the installed default settings"
    rm -rf "$home"
    echo "package: installed; /usr/bin/wr7310 runs"

    # Removed, the radio files lose their type; purged, nothing of the package stays.
    probe=$(mktemp -d)
    /usr/bin/wr7310 new -o "$probe/radio.wr73" >/dev/null
    "${sudo_cmd[@]}" dpkg -r wr7310 >/dev/null
    type=$(env -u XDG_CURRENT_DESKTOP -u XDG_DATA_HOME -u XDG_DATA_DIRS \
        xdg-mime query filetype "$probe/radio.wr73" || true)
    rm -rf "$probe"
    [[ $type != application/x-wr7310sxtra ]] || fail "the type of radio files outlives the package"
    "${sudo_cmd[@]}" dpkg -P wr7310 >/dev/null
    left=$(find /usr/bin /usr/share/wr7310 /usr/share/doc/wr7310 -maxdepth 1 \
        \( -iname '*wr7310*' -o -name '*.ini' \) 2>/dev/null || true)
    [[ -z $left ]] || fail "left behind after purge: $left"
    echo "package: removed and purged; nothing left behind"
fi
