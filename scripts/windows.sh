#!/usr/bin/env bash
# The Windows build: the core, wr7310.exe and the Windows tests cross-compiled with MinGW-w64,
# the tests run under Wine (a fresh prefix in a temporary folder), then the release ZIP.
# Takes about 5 minutes on 2 cores with a warm compiler cache (most of it Wine starting).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
start=$SECONDS
cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw
(cd build/mingw && cpack -G ZIP >/dev/null && ls -l wr7310-*-win64.zip)
echo "Windows build and tests: $((SECONDS - start)) s"
