#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The include order of src/: the folders are layers, and a file includes only headers of its
# own folder and of the folders below it. The order is read from the layout table of
# README.md (top layer first), where it is written once; every folder of src/ must be in it.
#
# Usage: check_layers.sh [SOURCE_DIR]   (default: the tree this script is in)
# Prints every include that reaches up or sideways and exits 1; exits 0 when there is none.
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

mapfile -t layers < <(sed -n 's/^| *`src\/\([A-Za-z0-9_-]*\)\/` *|.*/\1/p' "$root/README.md")
if ((${#layers[@]} == 0)); then
    echo "README.md: the layout table names no folder of src/"
    exit 2
fi
declare -A rank # the bottom layer is 1
for i in "${!layers[@]}"; do
    rank[${layers[$i]}]=$((${#layers[@]} - i))
done

status=0
for dir in "$root"/src/*/; do
    folder=$(basename "$dir")
    if [[ -z ${rank[$folder]:-} ]]; then
        echo "src/$folder/ is not in README.md's layout table"
        status=1
    fi
done

# file:line:text of every quoted include that names a folder
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    header=${rest#*:}
    header=${header#*\"}
    header=${header%%\"*}
    rel=${file#"$root"/src/}
    from=${rel%%/*}
    to=${header%%/*}
    [[ $to != "$from" && -d $root/src/$to ]] || continue
    if [[ -n ${rank[$from]:-} && -n ${rank[$to]:-} ]] && ((rank[$to] < rank[$from])); then
        continue
    fi
    echo "src/$rel:$line: includes \"$header\", but src/$to/ is not below src/$from/"
    status=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' \
    --include='*.cpp' --include='*.h' "$root/src" | sort -t: -k1,1 -k2,2n)

exit $status
