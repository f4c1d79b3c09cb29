#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB in build/default) and checks it: its file list, its
# computed dependencies and the unpacked tree as the installed-tree test checks it. With
# --install it also installs the package (dpkg -i, as root or through sudo) and runs the tool
# from /usr/bin.
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
    usr/share/man/man1/wr7310.1 usr/share/man/man1/WR7310SXtra.1 \
    usr/share/metainfo/org.example.wr7310.wr7310sxtra.metainfo.xml \
    usr/share/bash-completion/completions/wr7310 \
    usr/share/wr7310/WR7310SXtra.ini usr/share/applications/WR7310SXtra.desktop \
    usr/share/icons/hicolor/48x48/apps/WR7310SXtra.png; do
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
dpkg-deb -I "$deb" postinst >/dev/null || fail "no postinst"

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
    trap 'rm -rf "$unpacked"; "${sudo_cmd[@]}" dpkg -r wr7310 >/dev/null' EXIT
    /usr/bin/wr7310 --help >/dev/null || fail "/usr/bin/wr7310 --help failed"
    home=$(mktemp -d)
    (cd "$home" && env -i HOME="$home" PATH=/usr/bin:/bin wr7310 new -o new.wr73 &&
        env -i HOME="$home" PATH=/usr/bin:/bin wr7310 show new.wr73) |
        grep -qiE "range.*[^0-9.]400(\.0+)?[^0-9].*[^0-9.]470(\.0+)?([^0-9]|$)" ||
        fail "the installed tool does not read the installed default settings"
    rm -rf "$home"
    echo "package: installed; /usr/bin/wr7310 runs"
fi
