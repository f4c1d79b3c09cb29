#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages this project needs to build, test and run. Safe to run again:
# it installs only what is missing. Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake pkg-config        # compiler and build
    ccache                                  # compiler cache for rebuilds
    libgtest-dev libgmock-dev               # unit tests
    libbenchmark-dev                        # bench/
    qt6-base-dev libgl-dev                  # desktop programs (Qt Widgets, PrintSupport)
    xvfb xauth                              # desktop on a machine without a display
    clang-format                            # code style
    fonts-liberation poppler-utils          # printout fonts; PDF text for the print tests
    libcli11-dev nlohmann-json3-dev         # command-line parsing, JSON
    dpkg-dev fakeroot                       # Debian package (cpack -G DEB, dpkg-shlibdeps)
    man-db groff-base appstream             # manuals and AppStream metadata checked by tests
    desktop-file-utils shared-mime-info     # desktop entries and radio file types, checked by tests
    xdg-utils libfile-mimeinfo-perl         # xdg-mime, answering from the MIME database
    lintian                                 # the Debian package's check (scripts/package.sh)
    libx11-dev                              # Num Lock's state on X11
    fonts-wqy-microhei                      # the tune screen's Chinese notes
    clang libclang-rt-14-dev libfuzzer-14-dev # fuzzing (scripts/fuzz.sh)
    g++-mingw-w64-x86-64-posix googletest   # the Windows build (cross compiler, GTest sources)
    wine wine64                             # the Windows build's tests
    python3-jsonschema jq                   # exports checked against dist/schema; README pipe
    ninja-build dpkg-dev                    # Qt for Windows, built from Debian's source
    nsis                                    # the Windows installer (makensis)
    xdotool imagemagick                     # the Windows desktop tests: keys, screenshots
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

# scripts/qt-mingw.sh fetches the source of Debian's Qt: apt needs the source index of the
# archives this machine already uses, so their "deb" entries are repeated as "deb-src".
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package: qt6-base'; then
    {
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources
        fi
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list
        fi
    } >/tmp/wr7310-src.$$
    if grep -q '^Types: deb-src' /tmp/wr7310-src.$$; then
        "${sudo_cmd[@]}" cp /tmp/wr7310-src.$$ /etc/apt/sources.list.d/wr7310-src.sources
    elif [ -s /tmp/wr7310-src.$$ ]; then
        "${sudo_cmd[@]}" cp /tmp/wr7310-src.$$ /etc/apt/sources.list.d/wr7310-src.list
    fi
    rm -f /tmp/wr7310-src.$$
    "${sudo_cmd[@]}" apt-get update -qq
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
