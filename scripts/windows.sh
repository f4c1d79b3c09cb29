#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# windows.sh [--desktop]: the Windows build: the core, wr7310.exe and the Windows tests
# cross-compiled with MinGW-w64, the tests run under Wine (fresh prefixes in temporary
# folders), then the release ZIP. Takes about 5 minutes on 2 cores with a warm compiler cache
# (most of it Wine starting).
# With --desktop also the desktop programs WR7310SXtra.exe and WR7310S.exe against Qt for
# Windows (built once from Debian's source and cached by scripts/qt-mingw.sh: 30 minutes or
# more the first time), their tests under Wine on Xvfb, the installer and its test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
start=$SECONDS
qt=""
if [ "${1:-}" = --desktop ]; then
    qt="$(bash scripts/qt-mingw.sh | tail -n 1)"
    echo "Qt for Windows: $qt ($((SECONDS - start)) s)"
fi
# Another Qt (new options, new version), or none, needs a fresh configuration.
cache=build/mingw/CMakeCache.txt
if [ -f "$cache" ] && ! grep -qxF "WR7310_QT_MINGW:PATH=$qt" "$cache"; then
    rm -f "$cache"
fi
if [ -n "$qt" ]; then
    cmake --preset mingw -DWR7310_BUILD_GUI=ON -DWR7310_QT_MINGW="$qt" >/dev/null
else
    cmake --preset mingw -DWR7310_BUILD_GUI=OFF >/dev/null
fi
cmake --build --preset mingw
[ -z "$qt" ] || bash scripts/windows-installer.sh build/mingw
ctest --preset mingw
(cd build/mingw && cpack -G ZIP >/dev/null)
ls -l build/mingw/wr7310-*-win64*.zip build/mingw/wr7310-*-win64-setup.exe 2>/dev/null || true
echo "Windows build and tests: $((SECONDS - start)) s"
