#!/usr/bin/env bash
# Installs the Debian packages this project needs to build, test and run. Safe to run again:
# it installs only what is missing. Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake pkg-config        # compiler and build
    libgtest-dev libgmock-dev               # unit tests
    libbenchmark-dev                        # bench/
    qt6-base-dev libgl-dev                  # desktop programs (Qt Widgets, PrintSupport)
    xvfb xauth                              # desktop on a machine without a display
    clang-format                            # code style
    fonts-liberation poppler-utils          # printout fonts; PDF text for the print tests
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
