#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The include-order check against small trees made here: it passes a tree that keeps the
# order, and fails on an include of a folder above, also from a subfolder or with blanks in
# the directive, on a folder missing from the table and on a table that names no folder.
# Usage: check_layers_checker.sh CHECK_SCRIPT
set -uo pipefail

check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree NAME: a tree with three layers, top first: top, mid, low.
tree() {
    local t=$work/$1
    mkdir -p "$t/src/top" "$t/src/mid" "$t/src/low"
    printf '%s\n' '# x' '| folder | what |' '| --- | --- |' '| `src/top/` | top |' \
        '| `src/mid/` | middle |' '| `src/low/` | bottom |' '| `tests/` | tests |' >"$t/README.md"
    printf '#include "mid/M.h"\n#include "low/L.h"\n#include "T2.h"\n#include <vector>\n' \
        >"$t/src/top/T.cpp"
    printf '#pragma once\n#include "low/L.h"\n' >"$t/src/mid/M.h"
    printf '#pragma once\n#include "low/L2.h"\n' >"$t/src/low/L.h"
    echo "$t"
}

# expect NAME RC PATTERN: the check of tree NAME exits RC and prints PATTERN (or nothing).
expect() {
    local out rc
    out=$(bash "$check" "$work/$1" 2>&1)
    rc=$?
    if [[ $rc != "$2" ]] || { [[ -n $3 ]] && ! grep -qF -- "$3" <<<"$out"; } ||
        { [[ -z $3 ]] && [[ -n $out ]]; }; then
        echo "FAIL $1: exit $rc, output:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

tree ok >/dev/null
expect ok 0 ""

t=$(tree up)
printf '#include "top/T.h"\n' >>"$t/src/low/L.h"
expect up 1 'src/low/L.h:3: includes "top/T.h", but src/top/ is not below src/low/'

t=$(tree indented)
printf '  #  include "mid/M.h"\n' >>"$t/src/low/L.h"
expect indented 1 'src/low/L.h:3: includes "mid/M.h"'

t=$(tree nested)
mkdir -p "$t/src/low/sub"
printf '#include "top/T.h"\n' >"$t/src/low/sub/S.cpp"
expect nested 1 'src/low/sub/S.cpp:1: includes "top/T.h", but src/top/ is not below src/low/'

t=$(tree unlisted)
mkdir -p "$t/src/extra"
printf '#include "low/L.h"\n' >"$t/src/extra/E.cpp"
expect unlisted 1 'src/extra/ is not in README.md'

t=$(tree notable)
printf '# no table\n' >"$t/README.md"
expect notable 2 'names no folder of src/'

if ((failures)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
