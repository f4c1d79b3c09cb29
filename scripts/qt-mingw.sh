#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Qt for Windows, built here: Debian's own qt6-base source (the version of the host Qt whose
# moc, rcc and uic serve as host tools), cross-compiled with MinGW-w64 into a static Qt with
# just what the desktop programs use. The result is cached in
#   ${XDG_CACHE_HOME:-~/.cache}/wr7310/qt6-mingw-<version>-<hash of the options>
# and this script does nothing when that folder exists: it appears only when the build and
# the install have finished (the install goes to a staging folder that is renamed at the end),
# so an interrupted build is resumed the next time and never looks complete.
# Prints the folder's path as its last line of standard output. Takes about 35 minutes of 2 cores.
set -euo pipefail

host_version="$(dpkg-query -W -f='${Version}' qt6-base-dev)" # e.g. 6.4.2+dfsg-10
qt_version="${host_version%%[+~-]*}"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/wr7310"

# What the programs need: Core, Gui, Widgets, PrintSupport, the Windows platform plugin and
# the Windows style; the bundled third-party libraries; nothing else.
options=(
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_testlib=OFF -DFEATURE_zstd=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_sessionmanager=OFF
    # Debian's source leaves out the bundled wintab.h that tablet input needs.
    -DFEATURE_tabletevent=OFF
    # 6.4's Windows platform plugin does not compile without OpenGL; dynamic OpenGL needs no DLL.
    -DFEATURE_opengl=ON
)

# The toolchain Qt is built with (written out so that the key covers it).
toolchain='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)'

key="$(printf '%s\n' "$host_version" "${options[@]}" "$toolchain" \
    "$(x86_64-w64-mingw32-g++-posix -dumpfullversion)" | sha256sum | cut -c1-12)"
name="qt6-mingw-$qt_version-$key"
prefix="$cache/$name"
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$prefix"
    exit 0
fi

# One build at a time: a second run waits for the first, then finds its result.
mkdir -p "$cache"
exec 9>"$cache/.$name.lock"
flock 9
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$prefix"
    exit 0
fi

start=$SECONDS
work="$cache/build-$name"
mkdir -p "$work"
# The source package as Debian ships it, patches applied.
src="$work/qtbase-src"
if [ ! -f "$src/.extracted" ]; then
    rm -rf "$src" "$work/download"
    mkdir -p "$work/download"
    (cd "$work/download" && apt-get source --download-only "qt6-base=$host_version" >&2)
    dpkg-source --no-check -x "$work/download"/qt6-base_*.dsc "$src" >&2
    touch "$src/.extracted"
fi
printf '%s\n' "$toolchain" >"$work/toolchain.cmake"

build="$work/build"
staging="$work/staging"
cmake -G Ninja -S "$src" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${options[@]}" >"$work/configure.log" 2>&1 || {
    tail -40 "$work/configure.log" >&2
    exit 1
}
jobs="${QT_BUILD_JOBS:-$(nproc)}"
nice -n 10 cmake --build "$build" --parallel "$jobs" >&2
rm -rf "$staging"
DESTDIR="$staging" cmake --install "$build" >/dev/null
# The finished folder appears in one step, then the build tree (about 1 GB) goes.
mv "$staging$prefix" "$prefix"
rm -rf "$work"
echo "Qt $qt_version for Windows built in $((SECONDS - start)) s" >&2
echo "$prefix"
