#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scripts/spdx.sh on a small repository of its own: each kind of source file gets the
# licence line in its own comment style, a shebang stays first, other files are left alone,
# a second run changes nothing, and --check tells a file that lacks the line.
#   check_spdx_script.sh SPDX_SH
set -uo pipefail
script=$(realpath "$1")
repo=$(mktemp -d)
trap 'rm -rf "$repo"' EXIT
cd "$repo" || exit 1
git init -q . && mkdir -p scripts src dist/completion dist/debian
cp "$script" scripts/spdx.sh
faults=0
fault() {
    echo "FAULT: $*"
    faults=$((faults + 1))
}

tag="SPDX-License-Identifier: GPL-3.0-or-later"
# file, its text, and its first two lines after the run ("" = unchanged)
cases=(
    "src/a.cpp|int a;|// $tag;int a;"
    "src/a.h|#pragma once|// $tag;#pragma once"
    "CMakeLists.txt|project(x)|# $tag;project(x)"
    "src/b.cmake|set(x 1)|# $tag;set(x 1)"
    "scripts/run.sh|#!/usr/bin/env bash;echo hi|#!/usr/bin/env bash;# $tag"
    "dist/debian/postinst|#!/bin/sh;exit 0|#!/bin/sh;# $tag"
    "dist/completion/tool|complete -F _t t|# $tag;complete -F _t t"
    "README.md|# Title|"
    "LICENSE|GNU GENERAL PUBLIC LICENSE|"
    "data.bin|xyz|"
    "src/done.cpp|// $tag;int b;|"
)
for c in "${cases[@]}"; do
    IFS='|' read -r f text _ <<<"$c"
    tr ';' '\n' <<<"$text" >"$f"
done
chmod +x scripts/run.sh
git add -A
bash scripts/spdx.sh --check >check.txt && fault "--check passes on files without the line"
grep -qx "no licence line: src/a.cpp" check.txt || fault "--check does not name src/a.cpp"
grep -q "done.cpp\|README.md" check.txt && fault "--check names a file that needs nothing"

bash scripts/spdx.sh >/dev/null
for c in "${cases[@]}"; do
    IFS='|' read -r f text want <<<"$c"
    [[ -n $want ]] || want=$text
    got=$(head -n 2 "$f" | tr '\n' ';')
    want=$(tr ';' '\n' <<<"$want" | head -n 2 | tr '\n' ';')
    [[ $got == "$want" ]] || fault "$f starts with '$got', expected '$want'"
done
[[ -x scripts/run.sh ]] || fault "the script lost its execute bit"
before=$(git ls-files -z | xargs -0 cat | md5sum)
bash scripts/spdx.sh >/dev/null
[[ $(git ls-files -z | xargs -0 cat | md5sum) == "$before" ]] || fault "a second run changed files"
bash scripts/spdx.sh --check >/dev/null || fault "--check fails after the run"
echo "spdx.sh: $faults faults"
exit $((faults > 100 ? 100 : faults))
