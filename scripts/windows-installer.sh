#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# windows-installer.sh [BUILD_DIR]: the Windows installer from the mingw build (default
# build/mingw): installs the build into a staging folder, lists its files for the installer
# and the uninstaller, and runs makensis on cmake/windows/installer.nsi. Writes
# BUILD_DIR/wr7310-<version>-win64-setup.exe and prints its path.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/mingw}" && pwd)"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
work="$build/installer"
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/tree" --strip >/dev/null

winpath() { printf '%s' "${1//\//\\}"; }
# The files, folder by folder, as the installer lays them out; the uninstaller removes the
# same files, then each folder if it is empty, deepest first.
(
    cd "$work/tree"
    find . -type d | sort | while read -r dir; do
        rel="${dir#./}"
        [ "$dir" = . ] && rel=""
        files=$(find "$dir" -maxdepth 1 -type f | sort)
        [ -n "$files" ] || continue
        printf 'SetOutPath "$INSTDIR%s"\n' "$(winpath "${rel:+/$rel}")"
        for f in $files; do printf 'File "%s"\n' "$work/tree/${f#./}"; done
    done >"$work/files.nsh"
    {
        find . -type f | sort | while read -r f; do
            printf 'Delete "$INSTDIR\\%s"\n' "$(winpath "${f#./}")"
        done
        find . -mindepth 1 -type d | sort -r | while read -r d; do
            printf 'RMDir "$INSTDIR\\%s"\n' "$(winpath "${d#./}")"
        done
    } >"$work/unfiles.nsh"
)

licence=()
for f in LICENSE LICENSE.txt LICENSE.md COPYING; do
    if [ -f "$root/$f" ]; then
        licence=(-DLICENSE="$root/$f")
        break
    fi
done
out="$build/wr7310-$version-win64-setup.exe"
makensis -V2 -DVERSION="$version" -DOUTFILE="$out" -DFILES="$work/files.nsh" \
    -DUNFILES="$work/unfiles.nsh" -DXTRA_ICON="$root/src/variants/xtra/WR7310SXtra.ico" \
    -DSIZE_KB="$(du -sk "$work/tree" | cut -f1)" "${licence[@]}" \
    "$root/cmake/windows/installer.nsi" >&2
echo "$out"
